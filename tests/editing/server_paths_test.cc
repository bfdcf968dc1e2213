// The server on the paths of the system it runs on: the build's pair in a
// folder with an accented name, opened by the URI an editor sends for it
// (file:///C:/Citt%C3%A0/... on Windows). The session runs in process
// through streams of its own, so that it needs no pipes of the system.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>

#include "editing/json_rpc.h"
#include "editing/server.h"
#include "model/file_uri.h"
#include "model/text_8bit.h"
#include "shell/run.h"
#include "sources/sources.h"
#include "testing/temp_dir.h"

namespace scenario::editing {
namespace {

namespace fs = std::filesystem;
using scenario::testing::temp_dir;
using namespace std::chrono_literals;

// An input that gives what was pushed, waiting for more until closed.
class pushed_input : public std::streambuf {
 public:
  void push(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    chunks_.push_back(bytes);
    ready_.notify_all();
  }
  void close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ready_.notify_all();
  }

 protected:
  int_type underflow() override {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return !chunks_.empty() || closed_; });
    if (chunks_.empty()) return traits_type::eof();
    current_ = std::move(chunks_.front());
    chunks_.pop_front();
    setg(current_.data(), current_.data(), current_.data() + current_.size());
    return traits_type::to_int_type(current_[0]);
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> chunks_;
  std::string current_;
  bool closed_ = false;
};

// An output that collects what the server writes, for another thread.
class collected_output : public std::streambuf {
 public:
  // The messages written so far, once one holds `needle` (or the deadline
  // passes).
  std::string wait_for(const std::string& needle) {
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, 20s,
                    [&] { return text_.find(needle) != std::string::npos; });
    return text_;
  }

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard lock(mutex_);
    text_.append(s, static_cast<size_t>(n));
    ready_.notify_all();
    return n;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::string text_;
};

std::string read_all(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The diagnostics published for `uri` in `output`; null when none were.
json published_for(const std::string& output, const std::string& uri) {
  json found;
  for (size_t at = output.find("Content-Length: "); at != std::string::npos;
       at = output.find("Content-Length: ", at + 1)) {
    const size_t head = output.find("\r\n\r\n", at);
    const size_t length = std::stoul(output.substr(at + 16, head - at - 16));
    const json m = json::parse(output.substr(head + 4, length));
    if (m.value("method", "") == "textDocument/publishDiagnostics" &&
        m["params"]["uri"] == uri) {
      found = m["params"];
    }
  }
  return found;
}

TEST(server_paths, a_pair_in_an_accented_folder_is_served_by_its_own_uris) {
  temp_dir dir;
  const fs::path folder = dir.path() / path_of_utf8("Citt\xC3\xA0");
  fs::create_directory(folder);
  file_failure failure;
  ASSERT_TRUE(dati_linea(folder, build_percorso, &failure));
  ASSERT_TRUE(dati_treno(folder, build_percorso, build_treno, &failure));
  const fs::path line = linea_txt_path(folder, build_percorso);
  const fs::path train = treno_txt_path(folder, build_percorso, build_treno);
  const std::string line_uri = uri_of_path(utf8_of_path(line));
  const std::string train_uri = uri_of_path(utf8_of_path(train));
  // The accented folder is escaped once, and a drive keeps its colon.
  EXPECT_NE(train_uri.find("/Citt%C3%A0/"), std::string::npos) << train_uri;
  EXPECT_EQ(train_uri.find("%5C"), std::string::npos) << train_uri;
  if (native_path_style == path_style::windows) {
    EXPECT_EQ(train_uri.substr(0, 8), "file:///") << train_uri;
    EXPECT_EQ(train_uri.substr(9, 2), ":/") << train_uri;
  }

  auto input = std::make_shared<pushed_input>();
  std::shared_ptr<std::istream> in(new std::istream(input.get()),
                                   [input](std::istream* s) { delete s; });
  collected_output output;
  std::ostream out(&output);
  std::ostringstream log;
  server_options options;
  options.debounce = 0ms;
  server s(in, out, log, options);
  int status = -1;
  std::thread serving([&] { status = s.run(); });

  const auto request = [&](const json& m) { input->push(frame(m)); };
  request({{"jsonrpc", "2.0"},
           {"id", 1},
           {"method", "initialize"},
           {"params", {{"rootUri", uri_of_path(utf8_of_path(folder))}}}});
  output.wait_for("\"id\":1");
  request({{"jsonrpc", "2.0"},
           {"method", "textDocument/didOpen"},
           {"params",
            {{"textDocument",
              {{"uri", train_uri},
               {"languageId", "scenario"},
               {"version", 1},
               {"text", windows1252_to_utf8(read_all(train))}}}}}});
  // The line is not open: published under the URI made from its path.
  output.wait_for("\"uri\":\"" + line_uri + "\"");
  const std::string seen = output.wait_for("\"uri\":\"" + train_uri + "\"");
  request({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});
  output.wait_for("\"id\":2");
  request({{"jsonrpc", "2.0"}, {"method", "exit"}});
  input->close();
  serving.join();
  EXPECT_EQ(status, 0);

  const json for_train = published_for(seen, train_uri);
  ASSERT_TRUE(for_train.is_object()) << seen << log.str();
  for (const json& d : for_train["diagnostics"]) {
    EXPECT_NE(d["code"], 101) << d.dump();  // the line was found
  }
  const json for_line = published_for(seen, line_uri);
  ASSERT_TRUE(for_line.is_object()) << seen;
  // The build's line reaches past its end twice.
  size_t beyond = 0;
  for (const json& d : for_line["diagnostics"]) {
    beyond += d["code"] == "beyond-line";
  }
  EXPECT_EQ(beyond, 2u) << for_line.dump();
}

}  // namespace
}  // namespace scenario::editing
