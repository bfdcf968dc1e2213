// The plan file's elements decoded as their bytes arrive, so that a large
// plan is read through a small buffer: x of every metre, then y, each a type
// code and its value, every one checked against what is left of the file.
#ifndef SCENARIO_DECODING_PLAN_READER_H_
#define SCENARIO_DECODING_PLAN_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "decoding/decoder.h"
#include "model/model.h"
#include "model/translation.h"

namespace scenario {

class plan_reader {
 public:
  // Damage is told in the language of `tr`.
  plan_reader(std::string_view file, int32_t lunghezza_estesa, size_t file_size,
              tracciato_t& t, const translator& tr)
      : file_(file),
        last_metre_(lunghezza_estesa),
        file_size_(file_size),
        t_(t),
        tr_(tr) {
    t_.create(lunghezza_estesa);
  }

  const decode_result& error() const { return error_; }

  // Decodes the whole elements at the start of `data`, which follows the
  // bytes consumed so far; returns false on damage. `used` receives the
  // bytes consumed. With `at_eof`, `data` is all that is left of the file.
  bool consume(std::string_view data, bool at_eof, size_t& used);

 private:
  // "plan element x of metre N": the element read next.
  std::string element() const;
  // Keeps the damage at byte `at` as the error; returns false.
  bool fail(size_t at, const std::string& expected, const std::string& found);

  std::string_view file_;
  int64_t last_metre_;
  size_t file_size_;
  tracciato_t& t_;
  translator tr_;
  int64_t metre_ = 0;
  int coord_ = 0;
  size_t offset_ = 0;
  decode_result error_;
};

}  // namespace scenario

#endif  // SCENARIO_DECODING_PLAN_READER_H_
