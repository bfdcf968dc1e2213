// The system's words for why a file or folder could not be used (its
// English error texts) in the reader's language: the common ones are in the
// catalogue, any other stays as the system wrote it.
#ifndef SCENARIO_MODEL_SYSTEM_REASONS_H_
#define SCENARIO_MODEL_SYSTEM_REASONS_H_

#include <string>
#include <string_view>

#include "model/translation.h"

namespace scenario {

// `reason` ("No such file or directory") in the language of `tr`.
std::string system_reason(std::string_view reason, const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_MODEL_SYSTEM_REASONS_H_
