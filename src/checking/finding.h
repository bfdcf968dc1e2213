// One finding of a check, kept small however many a file holds: its code or
// warning name, its place, its position along the line and the arguments of
// its message, whose text is made only when the finding is shown.
#ifndef SCENARIO_CHECKING_FINDING_H_
#define SCENARIO_CHECKING_FINDING_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

// A description's file name shared by all the findings in it: one copy of
// the name, however many findings point into the file.
class file_name {
 public:
  file_name() = default;
  explicit file_name(std::string name)
      : name_(std::make_shared<const std::string>(std::move(name))) {}

  std::string_view view() const {
    return name_ ? std::string_view(*name_) : std::string_view();
  }
  std::string str() const { return std::string(view()); }
  bool empty() const { return view().empty(); }
  operator std::string_view() const { return view(); }  // NOLINT

  friend bool operator==(const file_name& a, const file_name& b) {
    return a.name_ == b.name_ || a.view() == b.view();
  }
  friend bool operator==(const file_name& a, std::string_view b) {
    return a.view() == b;
  }
  friend std::ostream& operator<<(std::ostream& out, const file_name& f) {
    return out << f.view();
  }

 private:
  std::shared_ptr<const std::string> name_;
};

// Where a finding points: 1-based line and byte column of the field, its
// length, and the byte offset at which its line starts in the description.
struct finding_place {
  int line = 0;  // 0 when the finding has no place
  int column = 0;
  int length = 0;
  size_t line_start = 0;
};

// Bytes kept in 16: up to 15 in place, more on the heap. Most findings'
// arguments are a few short words, so most findings allocate nothing.
class small_bytes {
 public:
  small_bytes() = default;
  explicit small_bytes(std::string_view s);
  small_bytes(const small_bytes& other) : small_bytes(other.view()) {}
  small_bytes(small_bytes&& other) noexcept;
  small_bytes& operator=(const small_bytes& other);
  small_bytes& operator=(small_bytes&& other) noexcept;
  ~small_bytes();

  std::string_view view() const;

 private:
  static constexpr unsigned char on_heap = 0xFF;
  bool is_on_heap() const {
    return static_cast<unsigned char>(bytes_[15]) == on_heap;
  }
  void release();

  // In place: the bytes, then their count in the last byte. On the heap:
  // the pointer, then the 32-bit count, and `on_heap` in the last byte.
  alignas(8) char bytes_[16] = {};
};

// A message kept as its English pattern and the 8-bit texts that fill it,
// turned into text in a translator's language when shown. The arguments are
// packed into one string, each preceded by its length.
class message_arguments {
 public:
  message_arguments() = default;
  message_arguments(const char* pattern, std::span<const std::string> args);

  // The pattern, null for a message made otherwise (an error's meaning).
  const char* pattern() const { return pattern_; }
  // The text of the message in the language of `tr`: the translated
  // pattern as 8-bit text, filled with the arguments.
  std::string text(const translator& tr) const;
  // The arguments, in order.
  std::vector<std::string> arguments() const;
  // Argument `i`, empty past the last.
  std::string_view argument(size_t i) const;

 private:
  const char* pattern_ = nullptr;
  small_bytes packed_;
};

// One problem found: an error (a compiler code) or a warning (by name).
struct finding {
  bool is_error = true;
  // An error the compiler recorded: `details` holds its detail, the line it
  // points at and the detail's wording (see `compiler_error`).
  bool from_compiler = false;
  int code = 0;               // the error code; 0 for a warning
  std::string_view warning;   // the warning's name (static); empty for errors
  message_arguments details;  // the warning's message; an error's detail
  std::optional<int64_t> position_m;  // where along the line, when known
  file_name file;                     // the description, empty when none
  finding_place at;

  // What is wrong, without the position, as 8-bit text in the language of
  // `tr`: an error's meaning and detail, or the warning's message.
  std::string message(const translator& tr) const;
  // The line a compiler error points at, as the compiler showed it; empty
  // for other findings.
  std::string_view compiler_source() const;
};

// The finding of an error the compiler recorded in `d`, whose detail and
// source line are moved in; its meaning and detail are worded when shown,
// in the reader's language.
finding compiler_error(diagnostic&& d, const file_name& file);

// The line a finding points at, without its line end, in `text` (the
// description it is in); empty when it has no place.
std::string_view source_line(std::string_view text, const finding_place& at);

}  // namespace scenario

#endif  // SCENARIO_CHECKING_FINDING_H_
