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
  return tr_.format("plan element %s of metre %d", coord_name(coord_), metre_);
}

bool plan_reader::fail(size_t at, const std::string& expected,
                       const std::string& found) {
  error_ = damaged(file_, at, expected, found, tr_);
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
                  tr_.format("end of file after y of metre %d", last_metre_),
                  found_more(std::max(more, left), tr_));
    }
    if (left < 2) {
      if (!at_eof) break;
      return fail(at, tr_.format("the type code of %s (2 bytes)", element()),
                  found_end(left, tr_));
    }
    const auto code = get_le<uint16_t>(data.data() + p);
    size_t value_bytes = 0;
    if (code == format::element_int16) {
      value_bytes = format::element_int16_bytes - 2;
    } else if (code == format::element_double) {
      value_bytes = format::element_double_bytes - 2;
    } else if (code != format::element_empty) {
      return fail(at,
                  tr_.format("a type code 0, 2 or 5 for %s (empty, 16-bit "
                             "integer or double)",
                             element()),
                  std::to_string(code));
    }
    if (left - 2 < value_bytes) {
      if (!at_eof) break;
      return fail(at + 2,
                  tr_.format("a value of %s for %s",
                             bytes_word(value_bytes, tr_), element()),
                  found_end(left - 2, tr_));
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
                tr_.format("%s (the plan has metres 0 to %d, x then y)",
                           element(), last_metre_),
                tr_("end of file"));
  }
  return true;
}

}  // namespace scenario
