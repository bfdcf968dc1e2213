// The toolkit form of the run's window: `Form1` with its label "Attendere",
// and the modal error box of `errore`. Built into a module of its own that
// make_window() loads when a display is there; tests link it directly to
// inspect what it puts on screen.
#ifndef SCENARIO_SHELL_WINDOW_FLTK_H_
#define SCENARIO_SHELL_WINDOW_FLTK_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "shell/window.h"

class Fl_Window;
class Fl_Box;

namespace scenario {

// Geometry of Form1 in pixels (15 twips per pixel).
inline constexpr int form_width_px = 280;
inline constexpr int form_height_px = 179;
inline constexpr int label_left_px = 64;
inline constexpr int label_top_px = 64;
inline constexpr int label_width_px = 177;
inline constexpr int label_height_px = 53;
// A bold sans-serif at 30 px (22.5 pt at 96 dpi): the 32 px of a full 24 pt
// would not fit "Attendere" in the label's 177 pixels in the sans-serif fonts
// the toolkit finds on Linux.
inline constexpr int label_font_px = 30;

class fltk_window : public window {
 public:
  // Called once the error box is on screen and painted, before `errore`
  // starts waiting for the user; the box can be read and answered from here.
  using error_box_hook = std::function<void(Fl_Window& box)>;

  fltk_window();
  ~fltk_window() override;
  fltk_window(const fltk_window&) = delete;
  fltk_window& operator=(const fltk_window&) = delete;

  // Shows Form1 non-modal and paints it; the window is not serviced after.
  void show_waiting() override;
  // Modal box with errore_text(a) and one OK button; returns when OK is
  // pressed or the box is closed.
  void errore(std::string_view a) override;

  Fl_Window& form() { return *form_; }
  void set_error_box_hook(error_box_hook hook) { hook_ = std::move(hook); }

 private:
  std::unique_ptr<Fl_Window> form_;
  error_box_hook hook_;
};

// The title a window without one of its own carries: the program's name.
std::string application_title();

}  // namespace scenario

// The module's entry (see window_module_entry): the toolkit window on the
// display named by DISPLAY, or null when it cannot be opened.
extern "C" scenario::window* scenario_open_fltk_window();

#endif  // SCENARIO_SHELL_WINDOW_FLTK_H_
