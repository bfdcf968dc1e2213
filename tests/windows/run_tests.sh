#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: the test program (without a
# display, so the programs fall back to the console as on a server), then
# the window test on a virtual display. Screenshots go to BUILD_DIR/screenshots.
# Usage: tests/windows/run_tests.sh BUILD_DIR
#
# The programs run from a folder of their own with a Wine prefix of their
# own. Under root they run as the unprivileged user nobody: a folder's
# permissions hold only for such a user, and the read-only folder test
# needs them.
set -euo pipefail
build_dir=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/scenario-wine.XXXXXX)
cp "$build_dir"/{scenario_windows_tests,scenario_builder,scenario,window_probe}.exe "$work"
cp "$here/window_test.sh" "$work"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chown -R nobody:nogroup "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
wine_env=(HOME="$work" WINEPREFIX="$work/prefix" WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree,mshtml=")
end_wine() { env "${wine_env[@]}" "${as_user[@]}" /usr/lib/wine/wineserver -k 2>/dev/null || true; }
# Wine's server writes into the prefix until it has ended.
trap 'end_wine; sleep 1; chmod -R u+w "$work"; rm -rf "$work"' EXIT

# The first start makes the prefix.
env -u DISPLAY "${wine_env[@]}" "${as_user[@]}" /usr/lib/wine/wine64 cmd /c ver >/dev/null 2>&1 || true

# A folder holding an earlier run that the user may then no longer write
# to: owned by root (or read-only to its owner) once the run is done.
read_only="$work/read_only"
mkdir "$read_only"
cp "$work/scenario_builder.exe" "$read_only"
if ((${#as_user[@]})); then chown nobody:nogroup "$read_only"; fi
env -u DISPLAY "${wine_env[@]}" "${as_user[@]}" \
  /usr/lib/wine/wine64 "$read_only/scenario_builder.exe" 2>/dev/null
if ((${#as_user[@]})); then chown root:root "$read_only"; fi
chmod 0555 "$read_only"

# Left out: the SARIF validator and the pseudo-terminal are Linux programs
# (the SARIF log's form is checked on Linux; its Windows URIs here), and the
# toolkit window's module is Linux's (the window test below is Windows').
env -u DISPLAY "${wine_env[@]}" SCENARIO_READ_ONLY_DIR="Z:${read_only//\//\\}" \
  "${as_user[@]}" /usr/lib/wine/wine64 "$work/scenario_windows_tests.exe" \
  --gtest_filter='-check_command.sarif_passes_the_reference_validator:language.sarif_in_italian_names_its_language_and_validates:check_command.colour_only_on_a_terminal_without_no_color:scenario_builder.window_run_in_an_empty_folder:scenario_builder.without_its_window_module_falls_back_to_the_console'

# On a console (Wine makes one of a terminal) the findings show their
# accented letters: the Italian "è" of error 3 reaches the terminal as the
# character, not as its two UTF-8 bytes read in the console's code page.
printf '[generale]\r\nlunghezza percorso,    5000\r\nripetizione segnali 4 codici,    520    ,0\r\n[fine]\r\n' >"$work/line.txt"
printf '[generale]\r\n[fine]\r\n' >"$work/train.txt"
if ((${#as_user[@]})); then chown nobody:nogroup "$work"/{line,train}.txt; fi
shown=$(cd "$work" && env -u DISPLAY "${wine_env[@]}" LANG=it_IT.UTF-8 "${as_user[@]}" \
  script -qec "/usr/lib/wine/wine64 scenario.exe check line.txt train.txt" /dev/null 2>&1) &&
  status=0 || status=$?
if [[ $status != 1 || $shown != *"non è multiplo di 50"* || $shown == *"Ã"* ]]; then
  echo "FAIL: scenario.exe check on a console (status $status): $shown" | tr -d '\033'
  exit 1
fi
echo "scenario.exe check on a console shows its accented letters"

# Without a locale variable in the Windows environment, as on Windows, the
# tools speak the user's interface language: Wine's, from LANG.
for lang in it_IT.UTF-8 C; do
  help=$(cd "$work" && env -u DISPLAY -u LANGUAGE -u LC_ALL -u LC_MESSAGES "${wine_env[@]}" \
    LANG=$lang "${as_user[@]}" /usr/lib/wine/wine64 cmd /c "set LANG=&& scenario.exe --help" 2>&1) &&
    status=0 || status=$?
  want="Usage: scenario"
  [[ $lang == C ]] || want="Uso: scenario"
  if [[ $status != 0 || $help != *"$want"* ]]; then
    echo "FAIL: scenario.exe --help in the interface language of LANG=$lang (status $status): $help"
    exit 1
  fi
done
echo "scenario.exe speaks the interface language without a locale variable"

# Wine's session of the tests above has no display: it ends first.
end_wine
# -ac: the display takes the unprivileged user's programs without a cookie.
env "${wine_env[@]}" xvfb-run -a -s "-screen 0 800x600x24 -ac" \
  "${as_user[@]}" "$work/window_test.sh" "$work/window_probe.exe" "$work/screenshots"
mkdir -p "$build_dir/screenshots"
cp "$work"/screenshots/*.png "$build_dir/screenshots/"
ls -l "$build_dir/screenshots"
