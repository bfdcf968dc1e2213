#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::record_reader_target)
