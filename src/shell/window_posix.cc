#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "shell/window.h"

namespace scenario {
namespace {

using open_window_fn = window* (*)();

// The toolkit module, by its full path when it is beside the program, else
// by its name, which the dynamic loader looks up in the program's run path
// (set when installed). It stays loaded for the life of the process.
open_window_fn load_window_module(const std::filesystem::path& program_dir) {
  const std::filesystem::path beside = program_dir / window_module;
  std::error_code ec;
  const std::string path = std::filesystem::exists(beside, ec)
                               ? beside.string()
                               : std::string(window_module);
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::cerr << "warning: no window (" << dlerror() << ")\n";
    return nullptr;
  }
  return reinterpret_cast<open_window_fn>(dlsym(module, window_module_entry));
}

}  // namespace

std::unique_ptr<window> make_window(const std::filesystem::path& program_dir) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return make_console_window();
  const open_window_fn open_window = load_window_module(program_dir);
  window* w = open_window != nullptr ? open_window() : nullptr;
  if (w == nullptr) return make_console_window();
  return std::unique_ptr<window>(w);
}

}  // namespace scenario
