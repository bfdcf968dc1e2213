// A language-server client for the tests: talks to `scenario lsp` started as
// a child process through real pipes, or (on POSIX) to a server run
// in-process on a thread through pipes as well, and waits for answers with a
// deadline so that a silent server fails the test instead of hanging it.
#ifndef SCENARIO_TESTS_TESTING_LSP_CLIENT_H_
#define SCENARIO_TESTS_TESTING_LSP_CLIENT_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editing/server.h"

namespace scenario::testing {

using json = nlohmann::json;

class lsp_client {
 public:
  // `scenario lsp` as a child process.
  explicit lsp_client(const std::string& program);
  // A server in this process, run on a thread with `options`;
  // in_process() gives it, for inject(). POSIX only.
  explicit lsp_client(editing::server_options options);
  ~lsp_client();
  lsp_client(const lsp_client&) = delete;
  lsp_client& operator=(const lsp_client&) = delete;

  // Writes raw bytes / one framed message to the server.
  void write_raw(std::string_view bytes);
  void send(const json& message);
  void request(int id, const std::string& method, json params);
  void notify(const std::string& method, json params);

  // The next message, or nullopt when none comes before the deadline or
  // the output ends.
  std::optional<json> next(
      std::chrono::milliseconds wait = std::chrono::seconds(20));
  // The answer to request `id`, skipping (and keeping) other messages.
  json answer(int id);
  // The next diagnostics published for `uri`.
  json diagnostics_for(const std::string& uri);
  // Every message seen so far that was skipped by answer()/diagnostics_for.
  std::vector<json> skipped;

  // Sends initialize and waits for its answer.
  json initialize(json params = json::object());
  // Closes the server's input (end of file).
  void close_input();
  // Waits for the server to end; its exit status.
  int wait();
  editing::server* in_process() { return server_.get(); }

 private:
  // Appends to buffer_ what the server wrote, waiting at most `left`; false
  // when nothing came or the output ended.
  bool read_more(std::chrono::milliseconds left);

  int to_server_ = -1;  // file descriptors (of the C runtime on Windows)
  int from_server_ = -1;
  intptr_t pid_ = -1;  // a process id on POSIX, a process handle on Windows
  std::string buffer_;
  // In-process.
  std::unique_ptr<editing::server> server_;
  std::unique_ptr<std::streambuf> out_buf_;
  std::unique_ptr<std::ostream> out_;
  std::thread thread_;
  int status_ = -1;
};

std::string frame_of(const json& message);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_LSP_CLIENT_H_
