#include "compiler/plan.h"

#include <array>
#include <string>

#include "compiler/record_reader.h"
#include "compiler/run_time_failure.h"

namespace scenario {

namespace {

constexpr int x_coord = 0;
constexpr int y_coord = 1;

// Curvature of the classes 1 to 6, in the order their digits are tested.
constexpr std::array<std::pair<char, double>, 6> curve_classes = {{
    {'1', 0.0001},
    {'2', 0.0002},
    {'3', 0.0004},
    {'4', 0.001},
    {'5', 0.002},
    {'6', 0.003},
}};

}  // namespace

std::optional<double> curvature_of(std::string_view key) {
  for (const auto& [digit, k] : curve_classes) {
    if (key.find(digit) != std::string_view::npos) {
      return contains_nocase(key, "s") ? -k : k;
    }
  }
  return std::nullopt;
}

void plan_drawer::start() {
  if (plan_.size() < 2) {
    throw run_time_failure(N_("the plan has no metres 0 and 1"));
  }
  plan_.set_int16(0, x_coord, 0);
  plan_.set_int16(0, y_coord, 0);
  plan_.set_int16(1, x_coord, 0);
  plan_.set_int16(1, y_coord, 1);
  counter_ = 2;
}

void plan_drawer::step(double k) {
  const int64_t c = counter_;
  if (c < 2 || c >= plan_.size()) {
    throw run_time_failure(
        N_("plan metre %s lies outside the plan (0 to %s)"),
        {std::to_string(c), std::to_string(plan_.size() - 1)});
  }
  const double x1 = plan_.value(c - 1, x_coord);
  const double y1 = plan_.value(c - 1, y_coord);
  const double dx = x1 - plan_.value(c - 2, x_coord);
  const double dy = y1 - plan_.value(c - 2, y_coord);
  // Both coordinates turn with the step as it was before this metre, in
  // exactly this order of operations.
  double x = x1 + dx;
  double y = y1 + dy;
  if (k != 0.0) {
    x = x + dy * k;
    y = y - dx * k;
  }
  plan_.set_double(c, x_coord, x);
  plan_.set_double(c, y_coord, y);
  ++counter_;
}

bool plan_drawer::draw_curve(std::string_view key, int32_t start,
                             int32_t length) {
  const std::optional<double> k = curvature_of(key);
  if (!k) return false;
  while (counter_ <= start) {
    step(0.0);
    if (counter_ > max_plan_metre) return false;
  }
  const int64_t end = static_cast<int64_t>(start) + length;
  while (counter_ <= end) {
    step(*k);
    if (counter_ > max_plan_metre) return false;
  }
  return true;
}

void plan_drawer::finish(int64_t last_metre) {
  while (counter_ <= last_metre) step(0.0);
}

}  // namespace scenario
