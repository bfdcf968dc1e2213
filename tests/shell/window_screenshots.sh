#!/bin/sh
# Pictures of the run's window and of the error box, for a person to look at.
# Usage: tests/shell/window_screenshots.sh BUILD_DIR OUT_DIR
# Writes OUT_DIR/form1.png and one OUT_DIR/<answer>.png per way of answering
# the error box (the box over Form1), taken on a virtual display.
set -eu
build_dir=${1:?usage: $0 BUILD_DIR OUT_DIR}
out_dir=${2:?usage: $0 BUILD_DIR OUT_DIR}
mkdir -p "$out_dir"
SCENARIO_SCREENSHOT_DIR=$(cd "$out_dir" && pwd) xvfb-run -a \
  -s "-screen 0 640x480x24" \
  "$build_dir/scenario_tests" --gtest_filter='form1_test.*:answers/error_box_test.*'
ls -l "$out_dir"
