// How the readers of compiled files name damage: "FILE: byte N: expected
// ..., found ...", in the reader's language, with names quoted byte by byte
// so that damage never reaches the terminal raw; and the little-endian
// reads they check first.
#ifndef SCENARIO_DECODING_DAMAGE_H_
#define SCENARIO_DECODING_DAMAGE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "decoding/decoder.h"
#include "model/translation.h"

namespace scenario {

// A name as it appears in a message: printable ASCII as it is, every other
// byte as \xNN.
std::string quote_name(std::string_view text);

// Two quoted names: "\"A\" and \"B\"".
std::string two_names(std::string_view a, std::string_view b,
                      const translator& tr);

// "1 byte", "N bytes".
std::string bytes_word(size_t n, const translator& tr);

// What is left when a field does not fit.
std::string found_end(size_t left, const translator& tr);

// The bytes past where the file should have ended: "N bytes more".
std::string found_more(size_t more, const translator& tr);

// The damage at byte `offset` of `file`.
decode_result damaged(std::string_view file, size_t offset,
                      const std::string& expected, const std::string& found,
                      const translator& tr);

// Little-endian integer at `p`; the caller has checked that it fits.
template <typename T>
T get_le(const char* p) {
  using U = std::make_unsigned_t<T>;
  U v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) {
    v = static_cast<U>(
        v | static_cast<U>(static_cast<U>(static_cast<unsigned char>(p[i]))
                           << (8 * i)));
  }
  return static_cast<T>(v);
}

}  // namespace scenario

#endif  // SCENARIO_DECODING_DAMAGE_H_
