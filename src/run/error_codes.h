// The one table of the run's error codes and what each means to a person.
#ifndef SCENARIO_RUN_ERROR_CODES_H_
#define SCENARIO_RUN_ERROR_CODES_H_

#include <span>
#include <string_view>

namespace scenario {

// Plain-words meaning of a code; "unknown error" for a code not in the table.
std::string_view error_meaning(int code);

// True when the code is recorded together with a position in metres.
bool error_has_position(int code);

// Every code of the table, in the table's order.
std::span<const int> all_error_codes();

}  // namespace scenario

#endif  // SCENARIO_RUN_ERROR_CODES_H_
