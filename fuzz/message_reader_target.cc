// The language server's message reader under any byte stream: it always
// ends, reads at most one message per header it meets, never throws, and
// what it reads frames and reads back to the same message.

#include <exception>
#include <sstream>
#include <string>

#include "editing/json_rpc.h"
#include "fuzz/targets.h"

namespace scenario::fuzz {

std::string message_reader_target(std::string_view input) {
  try {
    std::istringstream in{std::string(input)};
    editing::message_reader reader(in);
    // Every message or failure ends with a blank line or the end of the
    // input, so there are no more of them than bytes.
    for (size_t reads = 0; reads <= input.size() + 1; ++reads) {
      const editing::read_message m = reader.next();
      if (m.what == editing::read_message::kind::end) {
        if (in.peek() != std::char_traits<char>::eof()) {
          return "the reader ended before the end of the input";
        }
        return {};
      }
      if (m.what == editing::read_message::kind::malformed) {
        if (m.error.empty()) return "a malformed message without a reason";
        continue;
      }
      std::istringstream again(editing::frame(m.body));
      editing::message_reader back(again);
      const editing::read_message r = back.next();
      if (r.what != editing::read_message::kind::message) {
        return "a message read does not read back once framed: " + r.error;
      }
      // Text that is no UTF-8 is replaced when framed; anything else must
      // come back as it was.
      if (r.body != m.body &&
          editing::frame(r.body) != editing::frame(m.body)) {
        return "a message changed through framing: " + m.body.dump();
      }
    }
    return "the reader still reads after more reads than bytes";
  } catch (const std::exception& e) {
    return std::string("the reader threw: ") + e.what();
  }
}

}  // namespace scenario::fuzz
