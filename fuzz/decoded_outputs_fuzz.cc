#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::decoded_outputs_target)
