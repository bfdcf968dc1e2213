#include "shell/command_line.h"

#include <string>

#include "model/exit_status.h"
#include "shell/arguments.h"
#include "shell/last_resort.h"

namespace scenario {
namespace {

// The headings and placeholders the library's help prints, by the key the
// library looks them up with.
void translate_library_words(CLI::App& app, const translator& tr) {
  const std::shared_ptr<CLI::FormatterBase> f = app.get_formatter();
  f->label("Usage", tr("Usage"));
  f->label("OPTIONS", tr("OPTIONS"));
  f->label("SUBCOMMAND", tr("SUBCOMMAND"));
  f->label("SUBCOMMANDS", tr("SUBCOMMANDS"));
  f->label("Positionals", tr("Positionals"));
  f->label("REQUIRED", tr("REQUIRED"));
  f->label("TEXT", tr("TEXT"));
  f->label("INT", tr("INT"));
  f->label("UINT", tr("UINT"));
  f->label("FLOAT", tr("FLOAT"));
  app.option_defaults()->group(tr("Options"));
  app.set_help_flag("-h,--help", tr("Print this help message and exit"));
}

// Subcommands are listed under a heading of their own. A subcommand's help
// flag is made before it takes the program's option defaults: it joins its
// options' group here, so that the help shows one group of options.
void translate_subcommand_group(CLI::App& app, const translator& tr) {
  for (CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_group() == "Subcommands") sub->group(tr("Subcommands"));
    if (CLI::Option* help = sub->get_help_ptr()) help->group(tr("Options"));
  }
}

int parse_and_run(std::string_view program, int argc, char** argv,
                  std::ostream& err, const translator& tr,
                  const program_setup& setup) {
  CLI::App app{"", std::string(program)};
  translate_library_words(app, tr);
  const std::function<int()> work = setup(app, tr);
  translate_subcommand_group(app, tr);
  try {
    utf8_arguments args(argc, argv);
    app.parse(args.argc(), args.argv());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    err << program << ": " << usage_error_text(e, tr) << "\n\n"
        << app.help() << std::flush;
    return exit_usage;
  }
  return work();
}

// The library's complaints that begin with a fixed phrase: the phrase, and
// its translation that the rest of the message follows.
struct library_phrase {
  std::string_view english;
  const char* translated;
};

constexpr library_phrase library_phrases[] = {
    {"The following argument was not expected: ",
     N_("The following argument was not expected: ")},
    {"The following arguments were not expected: ",
     N_("The following arguments were not expected: ")},
    {"A subcommand is required", N_("A subcommand is required")},
    {"Could not convert: ", N_("Could not convert: ")},
};

}  // namespace

std::string usage_error_text(const CLI::ParseError& e, const translator& tr) {
  const std::string what = e.what();
  for (const library_phrase& p : library_phrases) {
    if (what.starts_with(p.english)) {
      return tr(p.translated) + what.substr(p.english.size());
    }
  }
  // "NAME: VALUE not in {a,b}" and "NAME is required" name what is wrong.
  const size_t not_in = what.find(" not in {");
  if (not_in != std::string::npos) {
    return what.substr(0, not_in) + tr(" not in ") + what.substr(not_in + 8);
  }
  // "NAME: Value V not in range A to B", from a range check.
  const size_t value = what.find(": Value ");
  const size_t range = what.find(" not in range ");
  const size_t to = what.rfind(" to ");
  if (value != std::string::npos && range != std::string::npos &&
      to != std::string::npos && value < range && range < to) {
    return tr.format(
        "%s: Value %s not in range %s to %s", what.substr(0, value),
        what.substr(value + 8, range - value - 8),
        what.substr(range + 14, to - range - 14), what.substr(to + 4));
  }
  if (what.ends_with(" is required")) {
    return tr.format(
        "%s is required",
        what.substr(0, what.size() - std::string_view(" is required").size()));
  }
  return what;
}

std::string version_flag_help(const translator& tr) {
  return tr("Display program version information and exit");
}

int run_program(std::string_view program, int argc, char** argv,
                std::ostream& err, const translator& tr,
                const program_setup& setup) {
  return run_guarded(program, err, [&] {
    return parse_and_run(program, argc, argv, err, tr, setup);
  });
}

}  // namespace scenario
