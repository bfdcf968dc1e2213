// The report page of a scenario: one self-contained HTML file (inline SVG
// and CSS, no script needed, nothing fetched) with the header, the plan, the
// profile strips on one kilometre axis, the timetable, the problems and a
// legend. Every series is reduced to the drawing's resolution first.
#ifndef SCENARIO_DRAWING_REPORT_PAGE_H_
#define SCENARIO_DRAWING_REPORT_PAGE_H_

#include <optional>
#include <string>
#include <vector>

#include "drawing/scene.h"
#include "model/model.h"
#include "model/translation.h"
#include "running/running_time.h"

namespace scenario::drawing {

struct page_options {
  // Where the scenario came from, shown under the title (UTF-8), e.g.
  // "compiled files in out/" or "descriptions line.txt and train.txt".
  std::string source;
  // The curves of the line's curve records, when the descriptions are at
  // hand (compiled files keep none); the running diagrams limit the speed
  // through them.
  const std::vector<curve_stretch>* curves = nullptr;
  // The findings of the check of the descriptions, shown instead of the
  // codes the model recorded (see report_findings.h).
  std::optional<std::vector<problem>> findings = std::nullopt;
};

// Width of the drawings in SVG units; the profiles are reduced to one
// column per unit of the plotting area.
constexpr double drawing_width = 1200;
// How far (in SVG units) the drawn plan may stray from the computed one.
constexpr double plan_tolerance_units = 0.3;

// The page, its texts in the language of `tr` (the page's `lang` too).
std::string render_report(const scenario_model& m, const page_options& opts,
                          const translator& tr);

}  // namespace scenario::drawing

#endif  // SCENARIO_DRAWING_REPORT_PAGE_H_
