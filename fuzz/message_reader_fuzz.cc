#include "fuzz/entry.h"

SCENARIO_FUZZ_ENTRY(scenario::fuzz::message_reader_target)
