#include "plumbing.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "shell/arguments.h"

namespace scenario::tool {

int load_compiled(const std::string& dir,
                  const std::optional<std::string>& route,
                  const std::optional<std::string>& train, scenario_model& m,
                  const translator& tr, scenario_names* names) {
  const std::filesystem::path folder = path_argument(dir);
  // A run writing into the folder is waited for, and said so once.
  const reader_wait wait{
      .wait = std::chrono::seconds(60), .notice = &std::cerr, .tr = tr};
  scenario_names found;
  decode_result r = find_scenario(folder, route, train, found, wait);
  if (r.ok()) r = decode_scenario(folder, found.percorso, found.treno, m, wait);
  if (!r.ok()) {
    std::cerr << r.message << '\n';
    return r.status;
  }
  if (names != nullptr) *names = std::move(found);
  return 0;
}

int choose_inputs(std::string_view command,
                  const std::vector<std::string>& inputs, input_form& form,
                  const translator& tr) {
  std::error_code ec;
  std::vector<bool> is_dir;
  for (const std::string& in : inputs) {
    is_dir.push_back(std::filesystem::is_directory(path_argument(in), ec));
  }
  if (inputs.size() == 1) {
    if (is_dir[0]) {
      form = input_form::folder;
      return 0;
    }
    const bool there = std::filesystem::exists(path_argument(inputs[0]), ec);
    std::cerr << "scenario " << command << ": "
              << (there ? tr.format("%s is not a folder; give a folder of "
                                    "compiled files, or a LINE and a TRAIN "
                                    "description",
                                    inputs[0])
                        : tr.format("%s: no such folder", inputs[0]))
              << '\n';
    return there ? exit_usage : exit_no_input;
  }
  if (inputs.size() != 2 || is_dir[0] || is_dir[1]) {
    std::cerr << "scenario " << command << ": "
              << tr("with two arguments both are descriptions (LINE TRAIN); "
                    "a folder of compiled files comes alone")
              << '\n';
    return exit_usage;
  }
  form = input_form::descriptions;
  return 0;
}

bool apply_warning_switches(std::string_view command,
                            const std::vector<std::string>& switches,
                            warning_options& o, const translator& tr) {
  for (const std::string& s : switches) {
    std::string why;
    if (!apply_warning_switch(o, s, &why, tr)) {
      std::cerr << "scenario " << command << ": -W" << s << ": " << why << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace scenario::tool
