#include "shell/window.h"

#include <iostream>

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

}  // namespace

std::unique_ptr<window> make_console_window() {
  return std::make_unique<console_window>();
}

}  // namespace scenario
