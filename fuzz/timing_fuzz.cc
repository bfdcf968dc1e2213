#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::timing_target)
