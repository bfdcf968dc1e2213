#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::check_target)
