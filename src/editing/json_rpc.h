// The language server's wire: JSON-RPC 2.0 messages framed by a
// "Content-Length" header, read from and written to byte streams. The reader
// never throws: a message it cannot read is reported as malformed and
// reading goes on with the next header.
#ifndef SCENARIO_EDITING_JSON_RPC_H_
#define SCENARIO_EDITING_JSON_RPC_H_

#include <cstddef>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace scenario::editing {

using json = nlohmann::json;

// JSON-RPC error codes.
constexpr int parse_error = -32700;
constexpr int invalid_request = -32600;
constexpr int method_not_found = -32601;
constexpr int invalid_params = -32602;
constexpr int server_not_initialized = -32002;
constexpr int request_cancelled = -32800;
// The request was valid but could not be carried out.
constexpr int request_failed = -32803;

// The largest body the reader accepts; a longer one is malformed and skipped.
constexpr size_t max_body_bytes = size_t{256} << 20;

struct read_message {
  enum class kind { message, malformed, end } what = kind::end;
  json body;          // the parsed message (kind::message)
  std::string error;  // why it could not be read (kind::malformed)
};

class message_reader {
 public:
  explicit message_reader(std::istream& in) : in_(in) {}
  // The next message; kind::end once the input is done.
  read_message next();
  // True when the stream's buffer already holds unread bytes: more
  // messages were sent together with the last one.
  bool more_buffered() const;

 private:
  std::istream& in_;
};

// The framed form of a message: header, blank line, compact JSON body.
// Text that is no UTF-8 is replaced rather than refused.
std::string frame(const json& message);

// Writes and flushes one framed message.
void write_message(std::ostream& out, const json& message);

json make_response(const json& id, json result);
json make_error(const json& id, int code, const std::string& message);
json make_notification(const std::string& method, json params);

// A stream buffer over a file descriptor with a buffer of its own, so that
// more_buffered() sees what one read brought in.
class fd_streambuf : public std::streambuf {
 public:
  explicit fd_streambuf(int fd, bool for_output = false);
  ~fd_streambuf() override;

 protected:
  int_type underflow() override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool flush_out();
  int fd_;
  bool output_;
  std::vector<char> buffer_;
};

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_JSON_RPC_H_
