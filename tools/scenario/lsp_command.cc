// scenario lsp: the language server for descriptions, over standard input
// and output; logs go to standard error.
#include <unistd.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <chrono>
#include <iostream>
#include <memory>

#include "commands.h"
#include "editing/json_rpc.h"
#include "editing/server.h"

namespace scenario::tool {
namespace {

int run_lsp(int debounce_ms) {
  using namespace scenario::editing;
#ifdef _WIN32
  // The frames' CR LF and the bodies' bytes pass as they are, not as text.
  _setmode(STDIN_FILENO, _O_BINARY);
  _setmode(STDOUT_FILENO, _O_BINARY);
#endif
  // The input is read through a buffer of our own, so that the server
  // sees which messages came in one read.
  auto in_buf = std::make_shared<fd_streambuf>(STDIN_FILENO);
  std::shared_ptr<std::istream> in(new std::istream(in_buf.get()),
                                   [in_buf](std::istream* s) { delete s; });
  fd_streambuf out_buf(STDOUT_FILENO, true);
  std::ostream out(&out_buf);
  server_options options;
  options.debounce = std::chrono::milliseconds(debounce_ms);
  server s(in, out, std::cerr, options);
  return s.run();
}

}  // namespace

command add_lsp_command(CLI::App& tool, const translator& tr) {
  CLI::App* app = tool.add_subcommand(
      "lsp",
      tr("Language server for line and train descriptions over standard input "
         "and output: diagnostics as you type, hover, completion, outline, "
         "formatting, quick fixes and tunnel navigation"));
  app->footer(tr(
      "Exit status: 0 after the client's shutdown and exit, 1 when the input "
      "ends or exit comes without shutdown; 64 bad arguments."));
  auto debounce_ms = std::make_shared<int>(150);
  app->add_option("--debounce-ms", *debounce_ms,
                  tr("how long after the last edit a pair is checked"))
      ->check(CLI::Range(0, 10000))
      ->capture_default_str();
  // Clients name the transport they use; standard input and output is the
  // only one, so the flag changes nothing.
  app->add_flag("--stdio")->description(
      tr("talk over standard input and output (the only transport; accepted "
         "because language clients add it)"));
  return {app, [debounce_ms] { return run_lsp(*debounce_ms); }};
}

}  // namespace scenario::tool
