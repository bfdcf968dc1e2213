#include "checking/finding.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

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

small_bytes::small_bytes(std::string_view s) {
  if (s.size() < sizeof bytes_) {
    std::memcpy(bytes_, s.data(), s.size());
    bytes_[15] = static_cast<char>(s.size());
    return;
  }
  // Longer than any line a description may hold is cut at 4 GiB.
  const auto n = static_cast<uint32_t>(
      std::min<size_t>(s.size(), std::numeric_limits<uint32_t>::max()));
  char* heap = new char[n];
  std::memcpy(heap, s.data(), n);
  std::memcpy(bytes_, &heap, sizeof heap);
  std::memcpy(bytes_ + sizeof heap, &n, sizeof n);
  bytes_[15] = static_cast<char>(on_heap);
}

small_bytes::small_bytes(small_bytes&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  std::memset(other.bytes_, 0, sizeof other.bytes_);
}

small_bytes& small_bytes::operator=(const small_bytes& other) {
  if (this != &other) *this = small_bytes(other.view());
  return *this;
}

small_bytes& small_bytes::operator=(small_bytes&& other) noexcept {
  if (this != &other) {
    release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    std::memset(other.bytes_, 0, sizeof other.bytes_);
  }
  return *this;
}

small_bytes::~small_bytes() { release(); }

void small_bytes::release() {
  if (!is_on_heap()) return;
  char* heap = nullptr;
  std::memcpy(&heap, bytes_, sizeof heap);
  delete[] heap;
  std::memset(bytes_, 0, sizeof bytes_);
}

std::string_view small_bytes::view() const {
  if (!is_on_heap()) {
    return {bytes_,
            static_cast<size_t>(static_cast<unsigned char>(bytes_[15]))};
  }
  const char* heap = nullptr;
  uint32_t n = 0;
  std::memcpy(&heap, bytes_, sizeof heap);
  std::memcpy(&n, bytes_ + sizeof heap, sizeof n);
  return {heap, n};
}

message_arguments::message_arguments(const char* pattern,
                                     std::span<const std::string> args)
    : pattern_(pattern) {
  std::string packed;
  for (const std::string& a : args) {
    put_length(packed, a.size());
    packed += a;
  }
  packed_ = small_bytes(packed);
}

std::vector<std::string> message_arguments::arguments() const {
  std::vector<std::string> args;
  const std::string_view in = packed_.view();
  size_t at = 0;
  while (at < in.size()) {
    const size_t n = get_length(in, at);
    args.emplace_back(in.substr(at, n));
    at += n;
  }
  return args;
}

std::string_view message_arguments::argument(size_t i) const {
  const std::string_view in = packed_.view();
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

// A compiler error's details are its detail, its source line, the indices
// of the wording's arguments that are the system's reasons (one byte each),
// then the wording's arguments; the wording's pattern is the details' own.
constexpr size_t compiler_detail_at = 0;
constexpr size_t compiler_source_at = 1;
constexpr size_t compiler_reasons_at = 2;
constexpr size_t compiler_wording_at = 3;

finding compiler_error(diagnostic&& d, const file_name& file) {
  finding f;
  f.is_error = true;
  f.from_compiler = true;
  f.code = d.codice;
  if (d.posizione && error_has_position(d.codice)) f.position_m = *d.posizione;
  f.file = file;
  std::string reasons;
  for (size_t i : d.worded.system_reasons) {
    reasons += static_cast<char>(std::min<size_t>(i, 0xFF));
  }
  std::vector<std::string> kept = {std::move(d.detail),
                                   std::move(d.source_line), reasons};
  for (std::string& a : d.worded.args) kept.push_back(std::move(a));
  f.details = message_arguments(d.worded.pattern, kept);
  f.at = {d.line, d.column, d.length, 0};
  return f;
}

std::string finding::message(const translator& tr) const {
  if (!from_compiler) {
    if (details.pattern() != nullptr || !warning.empty()) {
      return details.text(tr);
    }
    diagnostic d;
    d.codice = code;
    return describe(d, tr).text();
  }
  std::vector<std::string> args = details.arguments();
  args.resize(std::max(args.size(), compiler_wording_at));
  diagnostic d;
  d.codice = code;
  d.detail = std::move(args[compiler_detail_at]);
  d.worded.pattern = details.pattern();
  for (char i : args[compiler_reasons_at]) {
    d.worded.system_reasons.push_back(static_cast<unsigned char>(i));
  }
  d.worded.args.assign(
      std::make_move_iterator(args.begin() + compiler_wording_at),
      std::make_move_iterator(args.end()));
  return describe(d, tr).text();
}

std::string_view finding::compiler_source() const {
  return from_compiler ? details.argument(compiler_source_at)
                       : std::string_view();
}

std::string_view source_line(std::string_view text, const finding_place& at) {
  if (at.line <= 0) return {};
  const size_t start = std::min(at.line_start, text.size());
  size_t end = start;
  while (end < text.size() && !ends_line(text[end])) ++end;
  return text.substr(start, end - start);
}

}  // namespace scenario
