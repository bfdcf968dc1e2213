#include "decoding/plan_reader.h"

#include <algorithm>
#include <cstring>

#include "decoding/damage.h"
#include "output/format.h"

namespace scenario {
namespace {

const char* coord_name(int coord) { return coord == 0 ? "x" : "y"; }

// Decodes plan elements as their bytes arrive, so that a large plan is read
// through a small buffer. Elements are stored x of every metre, then y.

}  // namespace

std::string plan_reader::element() const {
  return std::string("plan element ") + coord_name(coord_) + " of metre " +
         std::to_string(metre_);
}

bool plan_reader::fail(size_t at, const std::string& expected,
                       const std::string& found) {
  error_ = damaged(file_, at, expected, found);
  return false;
}

bool plan_reader::consume(std::string_view data, bool at_eof, size_t& used) {
  size_t p = 0;
  while (p < data.size()) {
    const size_t at = offset_ + p;
    const size_t left = data.size() - p;
    if (coord_ == 2) {
      const size_t more = file_size_ > at ? file_size_ - at : left;
      return fail(at,
                  "end of file after y of metre " + std::to_string(last_metre_),
                  bytes_word(std::max(more, left)) + " more");
    }
    if (left < 2) {
      if (!at_eof) break;
      return fail(at, "the type code of " + element() + " (2 bytes)",
                  found_end(left));
    }
    const auto code = get_le<uint16_t>(data.data() + p);
    size_t value_bytes = 0;
    if (code == format::element_int16) {
      value_bytes = format::element_int16_bytes - 2;
    } else if (code == format::element_double) {
      value_bytes = format::element_double_bytes - 2;
    } else if (code != format::element_empty) {
      return fail(at,
                  "a type code 0, 2 or 5 for " + element() +
                      " (empty, 16-bit integer or double)",
                  std::to_string(code));
    }
    if (left - 2 < value_bytes) {
      if (!at_eof) break;
      return fail(at + 2,
                  "a value of " + bytes_word(value_bytes) + " for " + element(),
                  found_end(left - 2));
    }
    const char* value = data.data() + p + 2;
    if (code == format::element_int16) {
      t_.set_int16(metre_, coord_, get_le<int16_t>(value));
    } else if (code == format::element_double) {
      const auto bits = get_le<uint64_t>(value);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      t_.set_double(metre_, coord_, d);
    }
    p += 2 + value_bytes;
    if (++metre_ > last_metre_) {
      metre_ = 0;
      ++coord_;
    }
  }
  offset_ += p;
  used = p;
  if (at_eof && p == data.size() && coord_ < 2) {
    return fail(offset_,
                element() + " (the plan has metres 0 to " +
                    std::to_string(last_metre_) + ", x then y)",
                "end of file");
  }
  return true;
}

}  // namespace scenario
