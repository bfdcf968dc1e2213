#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::format_target)
