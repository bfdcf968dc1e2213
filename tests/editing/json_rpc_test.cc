#include "editing/json_rpc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace scenario::editing {
namespace {

using kind = read_message::kind;

std::vector<read_message> read_all(const std::string& input) {
  std::istringstream in(input);
  message_reader r(in);
  std::vector<read_message> out;
  for (int i = 0; i < 20; ++i) {
    out.push_back(r.next());
    if (out.back().what == kind::end) break;
  }
  return out;
}

const std::string ping = R"({"jsonrpc":"2.0","id":1,"method":"ping"})";

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(json_rpc_reader, reads_framed_messages_and_skips_what_it_cannot_read) {
  const struct {
    std::string input;
    std::vector<kind> kinds;
  } cases[] = {
      {framed(ping) + framed(ping), {kind::message, kind::message, kind::end}},
      // Other headers, any letter case, blanks around the value.
      {"content-length:  " + std::to_string(ping.size()) +
           " \r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n"
           "\r\n" +
           ping,
       {kind::message, kind::end}},
      // Blank lines between messages are no message.
      {"\r\n\r\n" + framed(ping), {kind::message, kind::end}},
      // No length: the body cannot be found, and is read as the header of
      // the next message, which is found all the same.
      {"Content-Type: x\r\n\r\n" + ping + framed(ping),
       {kind::malformed, kind::message, kind::end}},
      {"Content-Length: 1x\r\n\r\n" + ping + framed(ping),
       {kind::malformed, kind::message, kind::end}},
      {"Content-Length: -5\r\n\r\n", {kind::malformed, kind::end}},
      {"Content-Length: 99999999999999999999\r\n\r\n",
       {kind::malformed, kind::end}},
      // Beyond the largest body: what follows is read as headers.
      {"Content-Length: 999999999\r\n\r\n{}",
       {kind::malformed, kind::malformed, kind::end}},
      {"no colon here\r\n\r\n" + framed(ping),
       {kind::malformed, kind::message, kind::end}},
      // A body that is no JSON is skipped whole.
      {framed("{\"jsonrpc\":") + framed(ping),
       {kind::malformed, kind::message, kind::end}},
      // The input ends inside a header or a body.
      {"Content-Length: 10\r\n", {kind::malformed, kind::end}},
      {"Content-Length: 10\r\n\r\n{}", {kind::malformed, kind::end}},
      {"", {kind::end}},
  };
  for (const auto& c : cases) {
    const std::vector<read_message> got = read_all(c.input);
    std::vector<kind> kinds;
    for (const read_message& m : got) kinds.push_back(m.what);
    EXPECT_EQ(kinds, c.kinds) << c.input;
    for (const read_message& m : got) {
      if (m.what == kind::message) {
        EXPECT_EQ(m.body["method"], "ping");
      } else if (m.what == kind::malformed) {
        EXPECT_FALSE(m.error.empty());
      }
    }
  }
}

TEST(json_rpc_reader, a_body_keeps_its_utf8_and_its_length_counts_bytes) {
  const std::string body =
      R"({"jsonrpc":"2.0","method":"x","params":{"t":"CITT)"
      "\xC3\x80"
      R"("}})";
  const std::vector<read_message> got = read_all(framed(body) + framed(ping));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].body["params"]["t"], "CITT\xC3\x80");
  EXPECT_EQ(got[1].what, kind::message);
}

TEST(json_rpc_writer, frames_with_the_byte_length_and_replaces_bad_utf8) {
  EXPECT_EQ(frame(json{{"a", "\xC3\x80"}}),
            "Content-Length: 10\r\n\r\n{\"a\":\"\xC3\x80\"}");
  // 8-bit text that slipped through is replaced, never thrown on.
  const std::string f = frame(json{{"a", "\xC0"}});
  EXPECT_NE(f.find("\xEF\xBF\xBD"), std::string::npos) << f;
}

}  // namespace
}  // namespace scenario::editing
