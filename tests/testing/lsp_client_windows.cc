// `scenario.exe lsp` started with CreateProcessW, its standard input and
// output anonymous pipes seen here as descriptors of the C runtime.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "model/utf16_windows.h"
#include "testing/lsp_client.h"

namespace scenario::testing {
namespace {

// A pipe whose `child_end` the child inherits and whose other end stays
// here.
struct pipe_ends {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

pipe_ends inheritable_pipe(bool child_reads) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  pipe_ends p;
  if (!CreatePipe(&p.read, &p.write, &inherit, 1 << 16)) {
    throw std::runtime_error("CreatePipe");
  }
  SetHandleInformation(child_reads ? p.write : p.read, HANDLE_FLAG_INHERIT, 0);
  return p;
}

}  // namespace

lsp_client::lsp_client(const std::string& program) {
  const pipe_ends in = inheritable_pipe(/*child_reads=*/true);
  const pipe_ends out = inheritable_pipe(/*child_reads=*/false);
  HANDLE err = INVALID_HANDLE_VALUE;
  DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE),
                  GetCurrentProcess(), &err, 0, TRUE, DUPLICATE_SAME_ACCESS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.read;
  startup.hStdOutput = out.write;
  startup.hStdError = err;
  // The program's path holds no quote and does not end in a backslash.
  std::wstring command_line = L"\"" + wide_from_utf8(program) + L"\" lsp";
  PROCESS_INFORMATION started{};
  if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
    CloseHandle(started.hThread);
    pid_ = reinterpret_cast<intptr_t>(started.hProcess);
  }
  for (HANDLE h : {in.read, out.write, err}) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  to_server_ = _open_osfhandle(reinterpret_cast<intptr_t>(in.write), _O_BINARY);
  from_server_ = _open_osfhandle(reinterpret_cast<intptr_t>(out.read),
                                 _O_BINARY | _O_RDONLY);
}

lsp_client::~lsp_client() {
  close_input();
  if (pid_ > 0) wait();
  if (from_server_ >= 0) _close(from_server_);
}

void lsp_client::write_raw(std::string_view bytes) {
  while (!bytes.empty()) {
    const int n =
        _write(to_server_, bytes.data(),
               static_cast<unsigned>(std::min<size_t>(bytes.size(), 1u << 16)));
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

// An anonymous pipe cannot be waited on: it is looked into until bytes are
// there, the writer has gone, or the time is up.
bool lsp_client::read_more(std::chrono::milliseconds left) {
  const HANDLE pipe = reinterpret_cast<HANDLE>(_get_osfhandle(from_server_));
  const auto deadline = std::chrono::steady_clock::now() + left;
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
      return false;  // the server closed its output
    }
    if (available > 0) break;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(5);
  }
  char chunk[65536];
  const int n = _read(from_server_, chunk, sizeof chunk);
  if (n <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

void lsp_client::close_input() {
  if (to_server_ >= 0) {
    _close(to_server_);
    to_server_ = -1;
  }
}

int lsp_client::wait() {
  if (pid_ > 0) {
    const HANDLE process = reinterpret_cast<HANDLE>(pid_);
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process, &code)) {
      status_ = static_cast<int>(code);
    }
    CloseHandle(process);
    pid_ = -1;
  }
  return status_;
}

}  // namespace scenario::testing
