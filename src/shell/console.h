// The programs' standard streams carry the same bytes on every system: a
// line ends in LF as written, never in a CR LF added by the C runtime, so
// that what a program prints is the same on Linux and on Windows. A Windows
// console is given the characters of that UTF-8 text, not its bytes.
#ifndef SCENARIO_SHELL_CONSOLE_H_
#define SCENARIO_SHELL_CONSOLE_H_

namespace scenario {

// Called first thing by each program's main.
void keep_stream_bytes();

}  // namespace scenario

#endif  // SCENARIO_SHELL_CONSOLE_H_
