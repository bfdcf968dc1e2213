// Starting a program of the build on Windows: one command line quoted as
// the C runtime splits it, the streams redirected to files.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "model/utf16_windows.h"
#include "testing/process.h"

namespace scenario::testing {
namespace {

// One argument as CommandLineToArgvW and the C runtime read it back:
// quoted, with backslashes doubled only before a quote.
std::wstring quoted(const std::wstring& a) {
  if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return a;
  }
  std::wstring q = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < a.size() && a[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == a.size()) {
      q.append(backslashes * 2, L'\\');
      break;
    }
    if (a[i] == L'"') {
      q.append(backslashes * 2 + 1, L'\\');
    } else {
      q.append(backslashes, L'\\');
    }
    q.push_back(a[i]);
  }
  q.push_back(L'"');
  return q;
}

// The environment of this process without the variables `removed`, then
// with `added` ("NAME=value"), as the block CreateProcessW takes.
std::wstring environment_block(const std::vector<std::string>& removed,
                               const std::vector<std::string>& added) {
  const auto named = [](const std::wstring& entry, const std::string& name) {
    const std::wstring wide = wide_from_utf8(name);
    return entry.size() > wide.size() && entry[wide.size()] == L'=' &&
           _wcsnicmp(entry.c_str(), wide.c_str(), wide.size()) == 0;
  };
  std::wstring block;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* p = env; *p != L'\0'; p += wcslen(p) + 1) {
    const std::wstring entry(p);
    if (std::any_of(removed.begin(), removed.end(),
                    [&](const std::string& n) { return named(entry, n); })) {
      continue;
    }
    block += entry;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(env);
  for (const std::string& entry : added) {
    block += wide_from_utf8(entry);
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

HANDLE inheritable(const std::filesystem::path& p, DWORD access,
                   DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(p.c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

started_process::started_process(const std::vector<std::string>& argv,
                                 const process_options& options) {
  std::wstring command_line;
  for (const std::string& a : argv) {
    if (!command_line.empty()) command_line.push_back(L' ');
    command_line += quoted(wide_from_utf8(a));
  }
  HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = inheritable(streams_ / "out", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = inheritable(streams_ / "err", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  // Each change removes the variable it names; a "NAME=value" then adds it.
  std::vector<std::string> removed, added;
  if (options.without_display) removed.push_back("DISPLAY");
  for (const std::string& change : options.environment) {
    removed.push_back(change.substr(0, change.find('=')));
    if (change.find('=') != std::string::npos) added.push_back(change);
  }
  std::wstring environment =
      removed.empty() ? std::wstring() : environment_block(removed, added);
  PROCESS_INFORMATION started{};
  if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                     environment.empty() ? nullptr : environment.data(),
                     nullptr, &startup, &started)) {
    CloseHandle(started.hThread);
    pid_ = reinterpret_cast<intptr_t>(started.hProcess);
  }
  for (HANDLE h : {in, out, err}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

started_process::~started_process() {
  if (pid_ > 0) wait();
}

void started_process::send(int) const {
  if (pid_ > 0) TerminateProcess(reinterpret_cast<HANDLE>(pid_), 137);
}

process_result started_process::wait() {
  process_result r;
  if (pid_ > 0) {
    const HANDLE process = reinterpret_cast<HANDLE>(pid_);
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process, &code)) {
      r.status = static_cast<int>(code);
    }
    CloseHandle(process);
  }
  pid_ = -1;
  for (auto [name, text] : {std::pair{"out", &r.out}, {"err", &r.err}}) {
    if (std::filesystem::exists(streams_ / name)) {
      *text = read_file(streams_ / name);
    }
  }
  return r;
}

std::string started_process::err_so_far() const {
  std::error_code ec;
  if (!std::filesystem::exists(streams_ / "err", ec)) return {};
  return read_file(streams_ / "err");
}

std::string program_beside_tests(const std::string& name) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  return (std::filesystem::path(self).parent_path() / name).string();
}

process_result run_program(const std::vector<std::string>& argv,
                           const process_options& options) {
  return started_process(argv, options).wait();
}

process_result run_program(const std::vector<std::string>& argv,
                           bool without_display) {
  return run_program(argv, process_options{.without_display = without_display});
}

}  // namespace scenario::testing
