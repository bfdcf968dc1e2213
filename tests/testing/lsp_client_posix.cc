#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <stdexcept>

#include "editing/json_rpc.h"
#include "testing/lsp_client.h"

namespace scenario::testing {

lsp_client::lsp_client(const std::string& program) {
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    execl(program.c_str(), program.c_str(), "lsp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  to_server_ = in[1];
  from_server_ = out[0];
  signal(SIGPIPE, SIG_IGN);
}

lsp_client::lsp_client(editing::server_options options) {
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
  to_server_ = in[1];
  from_server_ = out[0];
  const int server_in = in[0];
  const int server_out = out[1];
  auto in_buf = std::make_shared<editing::fd_streambuf>(server_in);
  std::shared_ptr<std::istream> input(new std::istream(in_buf.get()),
                                      [in_buf, server_in](std::istream* s) {
                                        delete s;
                                        close(server_in);
                                      });
  out_buf_ = std::make_unique<editing::fd_streambuf>(server_out, true);
  out_ = std::make_unique<std::ostream>(out_buf_.get());
  server_ = std::make_unique<editing::server>(input, *out_, std::cerr,
                                              std::move(options));
  thread_ = std::thread([this, server_out] {
    status_ = server_->run();
    out_->flush();
    close(server_out);
  });
  signal(SIGPIPE, SIG_IGN);
}

lsp_client::~lsp_client() {
  close_input();
  if (thread_.joinable() || pid_ > 0) wait();
  if (from_server_ >= 0) close(from_server_);
}

void lsp_client::write_raw(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(to_server_, bytes.data(), bytes.size());
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

bool lsp_client::read_more(std::chrono::milliseconds left) {
  pollfd p{from_server_, POLLIN, 0};
  if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
  char chunk[65536];
  const ssize_t n = ::read(from_server_, chunk, sizeof chunk);
  if (n <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

void lsp_client::close_input() {
  if (to_server_ >= 0) {
    close(to_server_);
    to_server_ = -1;
  }
}

int lsp_client::wait() {
  if (pid_ > 0) {
    int status = 0;
    waitpid(static_cast<pid_t>(pid_), &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  } else if (thread_.joinable()) {
    thread_.join();
  }
  return status_;
}

}  // namespace scenario::testing
