// The run's window: shows "Attendere" while the run works and reports the two
// output slot conflicts as " Errore n. CODE" with a single OK button. A real
// toolkit window when a display can be opened, the console otherwise.
#ifndef SCENARIO_RUN_WINDOW_H_
#define SCENARIO_RUN_WINDOW_H_

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
std::string errore_text(std::string_view a);

// Console fallback: writes to standard error.
std::unique_ptr<window> make_console_window();
// The toolkit window when a display can be opened, else the console one.
std::unique_ptr<window> make_window();

}  // namespace scenario

#endif  // SCENARIO_RUN_WINDOW_H_
