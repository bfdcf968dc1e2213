#include "checking/finding.h"

#include <algorithm>

#include "model/error_codes.h"
#include "model/text_8bit.h"

namespace scenario {
namespace {

bool ends_line(char c) { return c == '\r' || c == '\n'; }

// Lengths are written seven bits a byte, lowest first, the high bit set on
// every byte but the last.
void put_length(std::string& out, size_t n) {
  while (n >= 0x80) {
    out += static_cast<char>((n & 0x7F) | 0x80);
    n >>= 7;
  }
  out += static_cast<char>(n);
}

size_t get_length(std::string_view in, size_t& at) {
  size_t n = 0;
  for (int shift = 0; at < in.size(); shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    n |= static_cast<size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) break;
  }
  return n;
}

}  // namespace

message_arguments::message_arguments(const char* pattern,
                                     std::span<const std::string> args)
    : pattern_(pattern) {
  for (const std::string& a : args) {
    put_length(packed_, a.size());
    packed_ += a;
  }
}

std::vector<std::string> message_arguments::arguments() const {
  std::vector<std::string> args;
  size_t at = 0;
  while (at < packed_.size()) {
    const size_t n = get_length(packed_, at);
    args.push_back(packed_.substr(at, n));
    at += n;
  }
  return args;
}

std::string_view message_arguments::argument(size_t i) const {
  const std::string_view in = packed_;
  size_t at = 0;
  for (; at < in.size(); --i) {
    const size_t n = get_length(in, at);
    if (i == 0) return in.substr(at, n);
    at += n;
  }
  return {};
}

std::string message_arguments::text(const translator& tr) const {
  if (pattern_ == nullptr) return {};
  // The record texts filled in are 8-bit already, so the pattern is turned
  // to 8-bit first.
  return fill_message(utf8_to_windows1252(tr(pattern_), nullptr), arguments());
}

std::string finding::message(const translator& tr) const {
  if (details.pattern() != nullptr || !warning.empty()) return details.text(tr);
  diagnostic d;
  d.codice = code;
  std::vector<std::string> args = details.arguments();
  if (!args.empty()) d.detail = std::move(args.front());
  return describe(d, tr).text();
}

std::string_view source_line(std::string_view text, const finding_place& at) {
  if (at.line <= 0) return {};
  const size_t start = std::min(at.line_start, text.size());
  size_t end = start;
  while (end < text.size() && !ends_line(text[end])) ++end;
  return text.substr(start, end - start);
}

}  // namespace scenario
