#include "shell/command_line.h"

#include <string>

#include "model/exit_status.h"
#include "shell/arguments.h"
#include "shell/last_resort.h"

namespace scenario {
namespace {

int parse_and_run(std::string_view program, int argc, char** argv,
                  std::ostream& err, const program_setup& setup) {
  CLI::App app{"", std::string(program)};
  const std::function<int()> work = setup(app);
  try {
    utf8_arguments args(argc, argv);
    app.parse(args.argc(), args.argv());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    err << program << ": " << e.what() << "\n\n" << app.help() << std::flush;
    return exit_usage;
  }
  return work();
}

}  // namespace

int run_program(std::string_view program, int argc, char** argv,
                std::ostream& err, const program_setup& setup) {
  return run_guarded(program, err, [&] {
    return parse_and_run(program, argc, argv, err, setup);
  });
}

}  // namespace scenario
