// libFuzzer's entry point for one target: a broken invariant is printed and
// aborts, which libFuzzer records as a crash with its input.
#ifndef SCENARIO_FUZZ_ENTRY_H_
#define SCENARIO_FUZZ_ENTRY_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/targets.h"

#define SCENARIO_FUZZ_ENTRY(target)                                            \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {    \
    const std::string broken =                                                 \
        (target)(std::string_view(reinterpret_cast<const char*>(data), size)); \
    if (!broken.empty()) {                                                     \
      std::fprintf(stderr, "broken invariant: %s\n", broken.c_str());          \
      std::abort();                                                            \
    }                                                                          \
    return 0;                                                                  \
  }

#endif  // SCENARIO_FUZZ_ENTRY_H_
