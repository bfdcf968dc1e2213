#!/usr/bin/env bash
# The manual pages: one for the tool, one per subcommand it lists, one for
# scenario_builder; each renders with `man -l` without a warning and has its
# name, synopsis, exit statuses and file formats.
#   manpages_test.sh MAN_DIR SCENARIO
set -uo pipefail
man_dir=$1 tool=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pages=(scenario scenario_builder)
while read -r sub; do pages+=("scenario-$sub"); done < <("$tool" --help |
  awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
((${#pages[@]} > 2)) || fail "scenario --help lists no subcommand"

shopt -s nullglob
made=("$man_dir"/*.1.gz)
((${#made[@]} == ${#pages[@]})) ||
  fail "${#made[@]} pages made for ${#pages[@]} programs and subcommands"

for page in "${pages[@]}"; do
  file=$man_dir/$page.1.gz
  if [[ ! -f $file ]]; then
    fail "no page $page(1)"
    continue
  fi
  # Warnings of groff (a line that cannot be broken or adjusted, an unknown
  # request or escape) go to standard error.
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>"$man_dir/.stderr")
  warnings=$(<"$man_dir/.stderr")
  rm -f "$man_dir/.stderr"
  [[ -z $warnings ]] || fail "$page(1) renders with warnings: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES "SEE ALSO"; do
    grep -qx "$section" <<<"$text" || fail "$page(1) has no $section section"
  done
  grep -qE "^       $page +- " <<<"$text" || fail "$page(1) does not name $page"
  # Every page lists status 0 and the bad-arguments status 64 as items.
  status=$(sed -n '/^EXIT STATUS$/,/^[A-Z]/p' <<<"$text")
  for s in 0 64; do
    grep -qE "^       $s +[a-z]" <<<"$status" || fail "$page(1) does not list exit status $s"
  done
  # A help line whose description help2man could not tell from its option
  # keeps the help's column padding in the page.
  if grep -qE '^ .*[^ ] {12,}[^ ]' <<<"$text"; then
    fail "$page(1) runs a description into its option: $(grep -E '^ .*[^ ] {12,}[^ ]' <<<"$text")"
  fi
  grep -q "Windows-1252" <<<"$text" || fail "$page(1) does not say how descriptions are encoded"
done

# A subcommand's page is its own help: its synopsis is the subcommand's.
synopsis=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man_dir/scenario-check.1.gz" 2>/dev/null |
  sed -n '/^SYNOPSIS$/{n;p}')
[[ $synopsis == *"scenario check [OPTIONS] [LINE] [TRAIN]"* ]] ||
  fail "scenario-check(1) synopsis: $synopsis"

((failures == 0)) && echo "${#pages[@]} pages render cleanly"
exit $((failures > 0))
