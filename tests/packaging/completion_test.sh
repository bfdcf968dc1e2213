#!/usr/bin/env bash
# The bash completion of `scenario`, driven as bash drives it: the words of
# a command line in COMP_WORDS, the cursor's word in COMP_CWORD, the
# candidates read back from COMPREPLY.
#   completion_test.sh COMPLETION_SCRIPT SCENARIO
set -uo pipefail
script=$(realpath "$1") tool=$(realpath "$2")
failures=0

source "$script"
if [[ $(complete -p scenario 2>/dev/null) != "complete -F _scenario scenario" ]]; then
  echo "FAIL: the script does not register _scenario for scenario"
  failures=$((failures + 1))
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir "out dir" output
touch "line one.txt" line2.txt train.txt

# The candidates for LINE, the line as typed up to the cursor (the words
# after the tool's name; a final space starts an empty word), sorted, one
# per line.
candidates() {
  local line=$1
  COMP_WORDS=("$tool")
  local words
  read -ra words <<<"$line"
  COMP_WORDS+=("${words[@]}")
  [[ -z $line || $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _scenario
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect() {
  local line=$1 want=$2 got
  got=$(candidates "$line")
  want=$(tr ';' '\n' <<<"$want" | sed '/^$/d' | sort)
  if [[ $got != "$want" ]]; then
    printf 'FAIL: "scenario %s"\n  want: %s\n  got:  %s\n' "$line" \
      "$(tr '\n' ';' <<<"$want")" "$(tr '\n' ';' <<<"$got")"
    failures=$((failures + 1))
  fi
}

# Every warning the tool lists, as -Wname and -Wno-name.
warnings=$("$tool" check --list-warnings | awk '/^-W/ { print substr($1, 3) }')
if [[ -z $warnings ]]; then
  echo "FAIL: scenario check --list-warnings lists no warning"
  failures=$((failures + 1))
fi
all_switches="-Werror$(for w in $warnings; do printf ';-W%s;-Wno-%s' "$w" "$w"; done)"
subcommands=$("$tool" --help |
  awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { printf "%s;", $1 }')

cases=(
  # line typed                   | expected candidates, separated by ;
  ""                             "$subcommands-h;--help;--version"
  "ch"                           "check"
  "--v"                          "--version"
  "check --f"                    "--format"
  "check --format "              "text;json;sarif"
  "check --format = "            "text;json;sarif"
  "check --format = j"           "json"
  "inspect --format "            "text;json;csv"
  "check -Wno-tunnel"            "-Wno-tunnel-board"
  "check -W"                     "$all_switches"
  "check -We"                    "-Werror"
  "check line"                   "line2.txt;line one.txt"
  "check "                       "line2.txt;line one.txt;train.txt;out dir;output"
  "compile line2.txt train.txt -o " "out dir;output"
  "compile line2.txt train.txt -o o" "out dir;output"
  "compile --route "             ""
  "compile --wait "              ""
  "report out -o t"              "train.txt"
  "inspect "                     "out dir;output"
  "diff output "                 "out dir;output"
)
for ((i = 0; i < ${#cases[@]}; i += 2)); do
  expect "${cases[i]}" "${cases[i + 1]}"
done

# A subcommand that has no -W option gets no warning names.
if candidates "inspect -W" | grep -q .; then
  echo "FAIL: scenario inspect -W offers warning switches"
  failures=$((failures + 1))
fi

((failures == 0)) && echo "all completion cases pass"
exit $((failures > 0))
