// The run's window: shows "Attendere" while the run works and reports the two
// output slot conflicts as " Errore n. CODE" with a single OK button. A real
// toolkit window when a display can be opened (on Windows the system's own
// window, window_windows.cc), the console otherwise.
#ifndef SCENARIO_SHELL_WINDOW_H_
#define SCENARIO_SHELL_WINDOW_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace scenario {

class window {
 public:
  virtual ~window() = default;
  // Shows the window with its label and paints it before returning.
  virtual void show_waiting() = 0;
  // Shows " Errore n. " followed by `a` and waits for OK (console: prints the
  // same text on standard error).
  virtual void errore(std::string_view a) = 0;
};

// The text of the error box for code text `a`.
inline std::string errore_text(std::string_view a) {
  return " Errore n. " + std::string(a);
}

// Console fallback: writes to standard error.
std::unique_ptr<window> make_console_window();
// The toolkit window when a display can be opened, else the console one.
// The toolkit lives in a module of its own (`window_module`), loaded only
// then: a run without a display never pays for loading it. It ships next to
// the program in `program_dir`; an installed program finds it in its private
// library folder through its run path.
std::unique_ptr<window> make_window(const std::filesystem::path& program_dir);

inline constexpr char window_module[] = "libscenario_window.so";
// The module's entry: opens the display named by DISPLAY and returns a new
// toolkit window, or null when the display cannot be opened.
inline constexpr char window_module_entry[] = "scenario_open_fltk_window";

}  // namespace scenario

#endif  // SCENARIO_SHELL_WINDOW_H_
