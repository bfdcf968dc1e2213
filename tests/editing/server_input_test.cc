// The server reading its input as editors write it: a message split over
// several writes, a request and the start of the next message in one write,
// a message trickling in byte by byte, an edit followed by a message that
// never ends. Each time the last edit is checked and published without any
// further input (the input stays open, as an editor keeps it).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editing/server.h"
#include "model/file_uri.h"
#include "testing/lsp_client.h"
#include "testing/lsp_fixture.h"

namespace scenario::editing {
namespace {

using namespace std::chrono_literals;
using scenario::testing::build_pair_files;
using scenario::testing::frame_of;
using scenario::testing::line_starting;
using scenario::testing::lsp_client;
using scenario::testing::open_document;
using scenario::testing::with_code;

// The header and the body of a framed message, apart.
struct split_frame {
  std::string header;
  std::string body;
};

split_frame split(const json& message) {
  const std::string f = frame_of(message);
  const size_t body_at = f.find("\r\n\r\n") + 4;
  return {f.substr(0, body_at), f.substr(body_at)};
}

// The next diagnostics published for `uri` with `version`, skipping older
// ones; null when none comes within `wait`.
json diagnostics_of_version(lsp_client& c, const std::string& uri, int version,
                            std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return nullptr;
    std::optional<json> m = c.next(left);
    if (!m) return nullptr;
    if (m->value("method", "") == "textDocument/publishDiagnostics" &&
        (*m)["params"]["uri"] == uri &&
        (*m)["params"].value("version", -1) == version) {
      return (*m)["params"];
    }
    c.skipped.push_back(*m);
  }
}

TEST(server_input, the_last_edit_is_published_however_its_bytes_arrive) {
  build_pair_files f;
  // The second signal moved into the first one's cell (error 16); the edit
  // that every case sends takes it back.
  const int signal = line_starting(f.train_text, "segnale,    4900,");
  ASSERT_GE(signal, 0);
  std::string planted = f.train_text;
  planted.replace(planted.find("segnale,    4900,"), 17, "segnale,    2400,");
  const json range = {{"start", {{"line", signal}, {"character", 12}}},
                      {"end", {{"line", signal}, {"character", 16}}}};
  const json fix = {
      {"jsonrpc", "2.0"},
      {"method", "textDocument/didChange"},
      {"params",
       {{"textDocument", {{"uri", f.train_uri}, {"version", 2}}},
        {"contentChanges", {{{"range", range}, {"text", "4900"}}}}}}};
  const json hover = {{"jsonrpc", "2.0"},
                      {"id", 7},
                      {"method", "textDocument/hover"},
                      {"params",
                       {{"textDocument", {{"uri", f.train_uri}}},
                        {"position", {{"line", signal}, {"character", 13}}}}}};
  const split_frame edit = split(fix);
  const std::string whole = edit.header + edit.body;

  using writer = std::function<void(lsp_client&)>;
  const struct {
    const char* name;
    writer write;
    bool answers_hover;
  } cases[] = {
      {"alone in one write", [&](lsp_client& c) { c.write_raw(whole); }, false},
      {"its header, then its body a moment later",
       [&](lsp_client& c) {
         c.write_raw(edit.header);
         std::this_thread::sleep_for(100ms);
         c.write_raw(edit.body);
       },
       false},
      {"a request and the edit's header in one write, its body later",
       [&](lsp_client& c) {
         c.write_raw(frame_of(hover) + edit.header);
         std::this_thread::sleep_for(100ms);
         c.write_raw(edit.body);
       },
       true},
      {"byte by byte",
       [&](lsp_client& c) {
         for (size_t i = 0; i < whole.size(); ++i) {
           c.write_raw(whole.substr(i, 1));
           if (i % 64 == 0) std::this_thread::sleep_for(1ms);
         }
       },
       false},
      {"followed by the start of a message that never ends",
       [&](lsp_client& c) {
         c.write_raw(whole + "Content-Length: 80\r\n\r\n{\"jsonrpc\":");
       },
       false},
      {"followed by half a header",
       [&](lsp_client& c) { c.write_raw(whole + "Content-Len"); }, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    server_options o;
    o.debounce = 50ms;
    lsp_client c(o);
    c.initialize({{"rootUri", uri_of_path(f.dir.path().string())}});
    open_document(c, f.train_uri, planted, 1);
    const json before = diagnostics_of_version(c, f.train_uri, 1, 20s);
    ASSERT_EQ(with_code(before, 16).size(), 1u) << before.dump();

    k.write(c);
    const json after = diagnostics_of_version(c, f.train_uri, 2, 5s);
    ASSERT_FALSE(after.is_null()) << "no diagnostics for the edit";
    EXPECT_TRUE(with_code(after, 16).empty()) << after.dump();
    if (k.answers_hover) {
      bool answered = false;
      for (const json& m : c.skipped) answered |= m.value("id", json()) == 7;
      EXPECT_TRUE(answered);
    }
    // The session still ends as asked, whatever the input holds.
    c.close_input();
  }
}

}  // namespace
}  // namespace scenario::editing
