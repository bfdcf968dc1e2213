// The language server: reads JSON-RPC messages from one stream and writes
// answers and diagnostics to another, logging to a third. One thread reads
// the input into a queue; the serving thread handles the messages in order
// and checks a pair of descriptions a moment after its last edit, never
// publishing what it found for a text that has changed since. Holds no
// global state, so tests drive it in-process through streams.
#ifndef SCENARIO_EDITING_SERVER_H_
#define SCENARIO_EDITING_SERVER_H_

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "checking/warnings.h"
#include "editing/document.h"
#include "editing/features.h"
#include "editing/json_rpc.h"
#include "editing/pairs.h"
#include "model/translation.h"

namespace scenario::editing {

// The request for the live picture of a description's pair (see picture.h):
// {"textDocument": {"uri"}}; null when the file pairs with no line.
inline constexpr const char* picture_method = "scenario/picture";

struct server_options {
  // How long after the last edit a pair is checked.
  std::chrono::milliseconds debounce{150};
  // The most diagnostics published for one document; one more says how
  // many were left out.
  size_t max_diagnostics = 1000;
  // Called after a pair is checked and before its result is published.
  std::function<void()> after_check;
};

class server {
 public:
  // The input is shared with the reading thread, which may outlive the
  // server when "exit" comes while the input is still open.
  server(std::shared_ptr<std::istream> in, std::ostream& out, std::ostream& log,
         server_options options = {});
  server(const server&) = delete;
  server& operator=(const server&) = delete;
  ~server();

  // Serves until "exit" or the end of the input. Returns the exit status:
  // 0 when "shutdown" came before, 1 otherwise.
  int run();

  // Queues a message as if it had been read (any thread).
  void inject(json message);

 private:
  // What the reading thread and the serving thread share.
  struct input_queue {
    std::shared_ptr<std::istream> in;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<read_message> messages;
    bool batch_open = false;  // more of the same read is still being parsed
    bool done = false;        // the reading thread has ended
  };
  struct pending_check {
    description_pair pair;
    std::chrono::steady_clock::time_point due;
  };

  static void read_input(std::shared_ptr<input_queue> q);
  // The messages read so far, once what the last read brought in is parsed
  // (waiting a moment for it); none when `until` comes first.
  std::deque<read_message> take_batch(
      std::chrono::steady_clock::time_point until);
  void handle(const read_message& m, const std::set<std::string>& cancelled);
  void handle_request(const json& id, const std::string& method,
                      const json& params);
  void handle_notification(const std::string& method, const json& params);
  json initialize(const json& params);
  void configure(const json& settings);
  void did_open(const json& params);
  void did_change(const json& params);
  void did_close(const json& params);
  json hover(const json& params);
  json completion(const json& params);
  json symbols(const json& params);
  json formatting(const json& params);
  json code_action(const json& params);
  json definition(const json& params);
  json picture(const json& params);

  void schedule(const std::string& path);
  void schedule_all();
  void run_due_checks();
  bool change_queued_for(const description_pair& pair);
  // Checks `pair`; publishes unless a change to it is waiting.
  void check_pair(const description_pair& pair, bool publish);
  // Sends the diagnostics of `a`, the analysis of the description at `path`
  // (`bad`: the characters its editor text holds that 8 bits cannot).
  void publish_diagnostics(const fs::path& path, const analysis& a,
                           const std::vector<unencodable_char>& bad);
  // The analysis of an open document, checked now when out of date.
  const analysis& analysis_of(const document& d);
  std::vector<fs::path> open_paths() const;
  std::vector<description_pair> pairs_of(const std::string& path) const;
  document* find(const json& text_document);
  // The 8-bit text the checker reads: the editor's, or the file's.
  description_text text_of(const fs::path& p,
                           std::vector<unencodable_char>* bad) const;
  void send(const json& message);
  void log(const std::string& line);

  std::shared_ptr<input_queue> input_;
  std::thread reader_;
  std::ostream& out_;
  std::ostream& log_;
  server_options options_;

  bool initialized_ = false;
  bool shut_down_ = false;
  bool exited_ = false;
  warning_options warnings_;
  bool snippet_support_ = false;  // the client takes snippets in completion
  translator tr_;  // the language the client asked for at initialize
  pair_finder pairs_;
  std::map<std::string, document> documents_;  // by path
  struct checked {
    analysis a;
    int version = -1;  // the document's version it was made from
  };
  std::map<std::string, checked> analyses_;  // by path
  std::vector<pending_check> pending_;
};

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_SERVER_H_
