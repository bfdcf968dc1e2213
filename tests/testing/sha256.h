// SHA-256 of a byte string, as lower-case hex, for pinning output files.
#ifndef SCENARIO_TESTS_TESTING_SHA256_H_
#define SCENARIO_TESTS_TESTING_SHA256_H_

#include <string>
#include <string_view>

namespace scenario::testing {

std::string sha256_hex(std::string_view bytes);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_SHA256_H_
