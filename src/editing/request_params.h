// Reading a request's parameters: places, ranges and the path a text
// document's URI names, each checked for its type so that a client's
// mistake is answered with the protocol's invalid-params error, and the
// error a handler throws to answer a request with an error instead of a
// result.
#ifndef SCENARIO_EDITING_REQUEST_PARAMS_H_
#define SCENARIO_EDITING_REQUEST_PARAMS_H_

#include <initializer_list>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "editing/document.h"

namespace scenario::editing {

using json = nlohmann::json;

// A request that cannot be carried out: answered with `code` and the
// message instead of a result.
struct request_refused : std::runtime_error {
  request_refused(int c, const std::string& message)
      : std::runtime_error(message), code(c) {}
  int code;
};

// The member at `path` of nested objects, or null when one is missing.
const json* member_at(const json& j, std::initializer_list<const char*> path);

// {"line": L, "character": C}; each a whole number from 0, else
// request_refused with invalid params (a missing member or a value that is
// no object throws json's own exception, which is answered the same way).
text_position position_param(const json& p);
text_range range_param(const json& r);

json range_json(const text_range& r);

// The path an open text stands for, in the form the pairs name it (so
// that the two meet as keys): "C:\a\b.txt" on Windows. Empty for a URI
// of another scheme.
std::string path_of_document(const std::string& uri);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_REQUEST_PARAMS_H_
