#!/usr/bin/env bash
# The run's window and error box of the Windows build, under Wine on a
# virtual display: Form1 must show "Attendere" (dark label pixels on the
# window's face where the label stands), the error box for 1250 must come
# up, and Return must close it. Leaves the two screenshots for a person.
# Usage: tests/windows/window_test.sh PROBE_EXE OUT_DIR
# (Wine's environment, WINEPREFIX and the like, comes from the caller.)
set -euo pipefail
probe=${1:?usage: $0 PROBE_EXE OUT_DIR}
out=${2:?usage: $0 PROBE_EXE OUT_DIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "window test: $*" >&2
  exit 1
}
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local tries=$(($1 * 10))
  shift
  until "$@" 2>/dev/null; do
    ((--tries > 0)) || return 1
    sleep 0.1
  done
}

# Wine's drive Z: is the Linux root.
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

/usr/lib/wine/wine64 "$probe" "$(winepath_of "$work")" &
probe_pid=$!
wait_for 60 test -s "$work/shown" || fail "Form1 was never shown"
sleep 0.5
import -window root "$out/windows_form1.png"
read -r label_x label_y <"$work/shown"

# The label's box on the screenshot: black text on the grey face.
dark=$(convert "$out/windows_form1.png" -crop "177x53+$label_x+$label_y" \
  -colorspace gray -threshold 25% -negate -format '%[fx:round(mean*w*h)]' info:)
((dark > 150)) || fail "no label painted at $label_x,$label_y ($dark dark pixels)"

touch "$work/go"
wait_for 30 xdotool search --name '^window_probe$' >/dev/null ||
  fail "the error box never came up"
sleep 0.5
import -window root "$out/windows_error_box.png"
box=$(xdotool search --name '^window_probe$' | head -1)
xdotool windowactivate --sync "$box" key Return 2>/dev/null ||
  xdotool windowfocus --sync "$box" key Return
wait_for 20 test -s "$work/answered" || fail "Return did not close the box"
wait "$probe_pid" || fail "the probe ended with status $?"
echo "window test: Form1 painted ($dark dark label pixels), error box closed with Return"
