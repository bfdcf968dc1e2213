#include "run/window.h"

#include <FL/x.H>

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "run/window_fltk.h"

namespace scenario {
namespace {

// Without a display the run still reports on standard error, so that a run
// started from a terminal or a service shows the same texts.
class console_window : public window {
 public:
  void show_waiting() override { std::cerr << "Attendere\n" << std::flush; }
  void errore(std::string_view a) override {
    std::cerr << errore_text(a) << '\n' << std::flush;
  }
};

// The toolkit exits the process when it cannot open its display, so the
// display is opened here and, when that works, handed to the toolkit. One
// connection only: closing a test connection first could reset a display
// server that had no other client, and the toolkit's own attempt right after
// would then be refused.
bool open_display_for_toolkit() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  // Already open in this process for the same display: keep it.
  if (fl_display != nullptr &&
      std::string_view(DisplayString(fl_display)) == std::string_view(name)) {
    return true;
  }
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  fl_open_display(display);
  return true;
}

}  // namespace

std::string errore_text(std::string_view a) {
  std::string text = " Errore n. ";
  text += a;
  return text;
}

std::unique_ptr<window> make_console_window() {
  return std::make_unique<console_window>();
}

std::unique_ptr<window> make_window() {
  if (!open_display_for_toolkit()) return make_console_window();
  return std::make_unique<fltk_window>();
}

}  // namespace scenario
