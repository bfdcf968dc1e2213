#include "editing/request_params.h"

#include <cstdint>
#include <limits>

#include "editing/json_rpc.h"
#include "model/file_uri.h"

namespace scenario::editing {

const json* member_at(const json& j, std::initializer_list<const char*> path) {
  const json* at = &j;
  for (const char* key : path) {
    if (!at->is_object() || !at->contains(key)) return nullptr;
    at = &(*at)[key];
  }
  return at;
}

namespace {

// A line or character number: a whole number from 0 (true or 1.5 is a
// client's mistake, not a place).
int count_param(const json& p, const char* name) {
  const json& v = p.at(name);
  if (!v.is_number_integer() || v.get<int64_t>() < 0 ||
      v.get<int64_t>() > std::numeric_limits<int>::max()) {
    throw request_refused{invalid_params, std::string(name) +
                                              " must be a whole number from "
                                              "0, not " +
                                              v.dump()};
  }
  return v.get<int>();
}

}  // namespace

text_position position_param(const json& p) {
  return {count_param(p, "line"), count_param(p, "character")};
}

text_range range_param(const json& r) {
  return {position_param(r.at("start")), position_param(r.at("end"))};
}

std::string path_of_document(const std::string& uri) {
  const std::string path = path_of_uri(uri);
  if (path.empty()) return {};
  return utf8_of_path(path_of_utf8(path).lexically_normal());
}

json range_json(const text_range& r) {
  return {{"start", {{"line", r.start.line}, {"character", r.start.character}}},
          {"end", {{"line", r.end.line}, {"character", r.end.character}}}};
}

}  // namespace scenario::editing
