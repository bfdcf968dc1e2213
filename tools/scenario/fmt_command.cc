// scenario fmt: lays descriptions out canonically. Prints the formatted text
// (the default), rewrites the files in place (-w) through the safe
// replacement, or only says which files would change (--check). `-` stands
// for standard input.
#include <cerrno>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "editing/formatter.h"
#include "model/system_reasons.h"
#include "output/replace_file.h"
#include "shell/arguments.h"

namespace scenario::tool {
namespace {

// Not a description; an output that cannot be written.
constexpr int exit_not_description = exit_data;
constexpr int exit_cannot_write = exit_cannot_create;
// --check: some file would change.
constexpr int exit_would_change = 1;

struct fmt_arguments {
  std::vector<std::string> files;
  bool write = false;
  bool check = false;
};

// The bytes of a file, or of standard input for "-"; no value (and the
// system's reason in *why) when they cannot be read.
std::optional<std::string> read_input(const std::string& name, std::string* why,
                                      const translator& tr) {
  errno = 0;
  if (name == "-") {
    std::ostringstream s;
    s << std::cin.rdbuf();
    if (!std::cin.bad()) return std::move(s).str();
  } else {
    const std::filesystem::path path = path_argument(name);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      *why = tr("is a folder, not a file");
      return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (in) {
      // A stream that fails below its buffer (a device, a folder some
      // system lets open) throws from the reading; it is unreadable all
      // the same.
      try {
        std::string text((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
        if (!in.bad()) return text;
      } catch (const std::exception& e) {
        *why = system_reason(e.what(), tr);
        return std::nullopt;
      }
    }
  }
  *why = errno != 0 ? system_reason(std::generic_category().message(errno), tr)
                    : std::string(tr("read error"));
  return std::nullopt;
}

// Replaces the file a name leads to (through symbolic links), keeping its
// permissions: the replacement is a new file.
int rewrite(const std::string& name, const std::string& formatted,
            const translator& tr) {
  std::error_code ec;
  std::filesystem::path target =
      std::filesystem::canonical(path_argument(name), ec);
  if (ec) target = path_argument(name);
  const std::filesystem::perms perms =
      std::filesystem::status(target, ec).permissions();
  const bool keep_perms = !ec;
  replacement_file out(target);
  if (out.ok()) out.put(formatted);
  if (!out.ok() || !out.commit()) {
    std::cerr << "scenario fmt: " << out.failure().message(tr) << '\n';
    return exit_cannot_write;
  }
  if (keep_perms) std::filesystem::permissions(target, perms, ec);
  return 0;
}

// The worst status wins: a missing input over a damaged one over a change.
int worse(int a, int b) {
  auto rank = [](int s) {
    switch (s) {
      case exit_cannot_write:
        return 4;
      case exit_no_input:
        return 3;
      case exit_not_description:
        return 2;
      case exit_would_change:
        return 1;
      default:
        return 0;
    }
  };
  return rank(b) > rank(a) ? b : a;
}

int format_one(const std::string& name, const fmt_arguments& args,
               const translator& tr) {
  std::string why;
  const std::optional<std::string> text = read_input(name, &why, tr);
  if (!text) {
    std::cerr << "scenario fmt: " << name << ": " << tr("cannot be read")
              << ": " << why << '\n';
    return exit_no_input;
  }
  if (const std::string problem = editing::description_problem(*text);
      !problem.empty()) {
    std::cerr << "scenario fmt: " << name << ": " << tr("not a description")
              << ": " << tr(problem.c_str()) << '\n';
    return exit_not_description;
  }
  const std::string formatted = editing::format_description(*text);
  if (args.check) {
    if (formatted == *text) return 0;
    std::cout << name << '\n';
    return exit_would_change;
  }
  if (args.write && name != "-") {
    if (formatted == *text) return 0;
    return rewrite(name, formatted, tr);
  }
  std::cout << formatted;
  return 0;
}

int run_fmt(const fmt_arguments& args, const translator& tr) {
  if (args.files.empty()) {
    std::cerr << "scenario fmt: "
              << tr("FILE is required (- for standard input)") << '\n';
    return exit_usage;
  }
  if (args.write && args.check) {
    std::cerr << "scenario fmt: " << tr("-w and --check exclude each other")
              << '\n';
    return exit_usage;
  }
  int status = 0;
  for (const std::string& name : args.files) {
    status = worse(status, format_one(name, args, tr));
  }
  std::cout << std::flush;
  return status;
}

}  // namespace

command add_fmt_command(CLI::App& tool, const translator& tr) {
  auto args = std::make_shared<fmt_arguments>();
  CLI::App* app = tool.add_subcommand(
      "fmt",
      tr("Lays line and train descriptions out canonically: fields in columns, "
         "numbers right-aligned; only blanks between fields change"));
  app->footer(tr(
      "Without -w or --check the formatted text goes to standard output. "
      "-w rewrites each file that changes (standard input still goes to "
      "standard output). --check writes nothing and lists the files that "
      "would change.\n"
      "Exit status: 0 formatted; 1 with --check, some file would change; 64 "
      "bad arguments; 65 a file is not a description (no \"[generale]\" line, "
      "or a NUL byte); 66 a file cannot be read or is a folder (the other "
      "files are still formatted); 73 a file cannot be "
      "rewritten."));
  app->add_option("FILE", args->files,
                  tr("descriptions to format; - for stdin"));
  app->add_flag("-w,--write", args->write, tr("rewrite the files in place"));
  app->add_flag(
      "--check", args->check,
      tr("change nothing; exit 1 and list the files that would change"));
  return {app, [args, tr] { return run_fmt(*args, tr); }};
}

}  // namespace scenario::tool
