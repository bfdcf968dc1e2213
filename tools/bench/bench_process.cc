#include "bench_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace scenario::bench {

namespace lsp {

std::string frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// JSON string of ASCII text (the generated descriptions are ASCII).
std::string quoted(const std::string& text) {
  std::string s = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += c;
    } else if (c == '\r') {
      s += "\\r";
    } else if (c == '\n') {
      s += "\\n";
    } else {
      s += c;
    }
  }
  return s + "\"";
}

void server_process::send(const std::string& body) {
  const std::string f = frame(body);
  size_t done = 0;
  while (done < f.size()) {
    const ssize_t n = write(to, f.data() + done, f.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string server_process::message_with(const std::string& needle) {
  for (;;) {
    const size_t head = pending.find("\r\n\r\n");
    if (head != std::string::npos) {
      const size_t length = std::stoul(pending.substr(16, head - 16));
      if (pending.size() >= head + 4 + length) {
        const std::string body = pending.substr(head + 4, length);
        pending.erase(0, head + 4 + length);
        if (body.find(needle) != std::string::npos) return body;
        continue;
      }
    }
    char chunk[65536];
    const ssize_t n = read(from, chunk, sizeof chunk);
    if (n <= 0) return {};
    pending.append(chunk, static_cast<size_t>(n));
  }
}

bool server_process::wait_for(const std::string& needle) {
  return !message_with(needle).empty();
}

server_process start(const fs::path& tool) {
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) std::exit(1);
  server_process p;
  p.pid = fork();
  if (p.pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 2);
    close(in[1]);
    close(out[0]);
    execl(tool.c_str(), tool.c_str(), "lsp", "--debounce-ms", "0",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  p.to = in[1];
  p.from = out[0];
  return p;
}

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lsp
}  // namespace scenario::bench
