// The reference SARIF validator, run on a log written to disk: the tests of
// `scenario check --format sarif` ask it for its errors. It is installed by
// scripts/setup on Linux; elsewhere it is missing and the tests say so.
#ifndef SCENARIO_TESTS_TESTING_SARIF_VALIDATOR_H_
#define SCENARIO_TESTS_TESTING_SARIF_VALIDATOR_H_

#include <filesystem>
#include <string>
#include <vector>

namespace scenario::testing {

// True when the validator is installed where the build expects it.
bool sarif_validator_installed();

// The messages of the validator's errors on the log at `sarif`; its own
// report goes beside it. A validator that fails to run fails the test.
std::vector<std::string> sarif_validator_errors(
    const std::filesystem::path& sarif);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_SARIF_VALIDATOR_H_
