#include "drawing/report_layout.h"

#include <algorithm>
#include <cmath>

#include "drawing/markup.h"
#include "model/kilometres.h"

namespace scenario::drawing {

double label_width(std::string_view utf8, double size) {
  size_t chars = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  }
  return static_cast<double>(chars) * size * 0.66;
}

std::string km_label(int64_t m) { return format_km(m); }

int label_rows::place(double x0, double x1) {
  for (size_t r = 0; r < ends_.size(); ++r) {
    if (x0 >= ends_[r] + gap_) {
      ends_[r] = x1;
      return static_cast<int>(r);
    }
  }
  if (static_cast<int>(ends_.size()) < max_rows_) {
    ends_.push_back(x1);
    return static_cast<int>(ends_.size()) - 1;
  }
  return -1;
}

bool label_boxes::place(double x0, double y0, double x1, double y1) {
  for (const box& b : boxes_) {
    if (x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1) return false;
  }
  boxes_.push_back({x0, y0, x1, y1});
  return true;
}

std::string reduced_path(const std::vector<xy>& pts, double columns) {
  std::string d;
  auto add = [&](const xy& p) {
    d += d.empty() ? "M" : "L";
    d += coordinate(p.x);
    d += ' ';
    d += coordinate(p.y);
  };
  if (static_cast<double>(pts.size()) <= 2 * columns) {
    for (const xy& p : pts) add(p);
    return d;
  }
  size_t i = 0;
  while (i < pts.size()) {
    const double column = std::floor(pts[i].x);
    size_t j = i, lo = i, hi = i;
    while (j < pts.size() && std::floor(pts[j].x) == column) {
      if (pts[j].y < pts[lo].y) lo = j;
      if (pts[j].y > pts[hi].y) hi = j;
      ++j;
    }
    std::vector<size_t> keep = {i, std::min(lo, hi), std::max(lo, hi), j - 1};
    keep.erase(std::unique(keep.begin(), keep.end()), keep.end());
    for (size_t k : keep) add(pts[k]);
    i = j;
  }
  return d;
}

// A round step for axis ticks: the smallest of 1, 2, 5 x 10^n not below
// `at_least`.
double nice_step(double at_least) {
  if (at_least <= 0) return 1;
  const double p = std::pow(10, std::floor(std::log10(at_least)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (f * p >= at_least) return f * p;
  }
  return 10 * p;
}

std::string signed_per_mille(int g) {
  return (g > 0   ? "+"
          : g < 0 ? "\u2212"
                  : "") +
         std::to_string(std::abs(g)) + "\u2030";
}

}  // namespace scenario::drawing
