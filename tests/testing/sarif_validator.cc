#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/process.h"
#include "testing/sarif_validator.h"

namespace scenario::testing {

bool sarif_validator_installed() {
  return std::filesystem::exists(SARIF_MULTITOOL_PATH);
}

std::vector<std::string> sarif_validator_errors(
    const std::filesystem::path& sarif) {
  // The validator writes its findings as a SARIF log of its own; its errors
  // are the results of level "error".
  std::filesystem::path log = sarif;
  log.replace_extension(".validation.log");
  const process_result v = run_program(
      {SARIF_MULTITOOL_PATH, "validate", sarif.string(), "-o", log.string()},
      /*without_display=*/true);
  EXPECT_EQ(v.status, 0) << v.out << v.err;
  std::vector<std::string> errors;
  const nlohmann::json j = nlohmann::json::parse(read_file(log));
  for (const nlohmann::json& res : j["runs"][0]["results"]) {
    if (res.value("level", "warning") == "error") {
      errors.push_back(res["message"].dump());
    }
  }
  return errors;
}

}  // namespace scenario::testing
