// What the report's drawings share: label sizes and placement, kilometre
// labels, the reduction of a series to the drawing's resolution and round
// axis steps. The profile strips and the plan both draw with these.
#ifndef SCENARIO_DRAWING_REPORT_LAYOUT_H_
#define SCENARIO_DRAWING_REPORT_LAYOUT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::drawing {

constexpr double font = 11;
// Width of a label of `chars` characters; capitals are wide.
double label_width(std::string_view utf8, double size = font);

std::string km_label(int64_t m);

// Labels along one axis, in increasing order, over a few staggered rows: a
// label takes the first row where it clears the previous one, and is thinned
// out (left undrawn) when no row has room.
class label_rows {
 public:
  explicit label_rows(int max_rows, double gap = 4)
      : max_rows_(max_rows), gap_(gap) {}
  // The row the label from x0 to x1 takes, or -1 when none has room.
  int place(double x0, double x1);
  int rows_used() const { return static_cast<int>(ends_.size()); }

 private:
  int max_rows_;
  double gap_;
  std::vector<double> ends_;
};

// Labels in the plane: a label is drawn only where it overlaps none drawn
// before it.
class label_boxes {
 public:
  bool place(double x0, double y0, double x1, double y1);
  // Room that no label may take (a mark), whatever lies there already.
  void reserve(double x0, double y0, double x1, double y1) {
    boxes_.push_back({x0, y0, x1, y1});
  }

 private:
  struct box {
    double x0, y0, x1, y1;
  };
  std::vector<box> boxes_;
};

struct xy {
  double x = 0;
  double y = 0;
};

// A polyline through `pts` (sorted by x) at the drawing's resolution: when
// there are more points than the plotting area has columns, each column
// keeps its first, lowest, highest and last point, in their order.
std::string reduced_path(const std::vector<xy>& pts, double columns);

// A round step for axis ticks: the smallest of 1, 2, 5 x 10^n not below
// `at_least`.
double nice_step(double at_least);

std::string signed_per_mille(int g);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_LAYOUT_H_
