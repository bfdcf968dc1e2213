#!/usr/bin/env bash
# Writes the manual pages, gzipped, from the programs' own --help and
# --version: scenario(1), scenario-SUBCOMMAND(1) for every subcommand that
# `scenario --help` lists (so a new subcommand gets its page), and
# scenario_builder(1). SECTIONS/PAGE.h2m, when there, and SECTIONS/common.h2m
# add sections (help2man's include format). The page of the manual for a
# subcommand, DOCS/SUBCOMMAND.md (DOCS/scenario_builder.md for the builder),
# ends the page's DESCRIPTION, turned by DOCS_TO_MAN.
#   manpages.sh HELP2MAN SCENARIO BUILDER SECTIONS DOCS DOCS_TO_MAN OUT
set -euo pipefail
help2man=$1 tool=$2 builder=$3 sections=$4 docs=$5 docs_to_man=$6 out=$7

rm -rf "$out"
mkdir -p "$out"

# The subcommands and their one-line descriptions, as `scenario --help`
# lists them under "Subcommands:".
mapfile -t listed < <("$tool" --help | awk '
  /^[A-Za-z].*:$/ { in_list = ($0 == "Subcommands:"); next }
  in_list && /^  [a-z]/ { name = $1; $1 = ""; sub(/^ +/, ""); print name "\t" $0 }')
if ((${#listed[@]} == 0)); then
  echo "manpages.sh: $tool --help lists no subcommand" >&2
  exit 1
fi

pages=(scenario scenario_builder)
for entry in "${listed[@]}"; do pages+=("scenario-${entry%%$'\t'*}"); done

# SEE ALSO names every other page.
see_also() {
  local self=$1 list="" p
  for p in "${pages[@]}"; do
    [[ $p == "$self" ]] && continue
    list+="${list:+,
}.BR $p (1)"
  done
  printf '[SEE ALSO]\n%s\n' "$list"
}

# The version the pages carry (the commit is left to --version).
version=$("$tool" --version | awk '{ print $2 }')

# The footer's "Exit status: 0 ...; 1 ...; 64 ..." becomes an EXIT STATUS
# section with one item per status.
exit_status_section() {
  perl -0pi -e 's{^Exit status: (.*?)\n(?=\.[A-Z]|\z)}{
    my @items = split /;\s+(?=\d+ )/, $1 =~ s/\n/ /gr =~ s/\.\s*$//r;
    ".SH \"EXIT STATUS\"\n" . join("", map { /^(\d+) (.*)$/s ? ".TP\n.B $1\n$2\n" : "$_\n" } @items)
  }mse' "$1"
}

# One page. HELP_OPTION runs the program's help: a subcommand's page is
# made from `scenario SUBCOMMAND --help`.
page() {
  local name=$1 summary=$2 program=$3 help_option=$4
  local includes=(--include "$out/$name.see-also")
  see_also "$name" >"$out/$name.see-also"
  [[ -f $sections/common.h2m ]] && includes+=(--include "$sections/common.h2m")
  if [[ $name == scenario || $name == scenario-* ]] && [[ -f $sections/tool.h2m ]]; then
    includes+=(--include "$sections/tool.h2m")
  fi
  [[ -f $sections/$name.h2m ]] && includes+=(--include "$sections/$name.h2m")
  local manual=$docs/${name#scenario-}.md
  if [[ $name != scenario && -f $manual ]]; then
    "$docs_to_man" "$manual" >"$out/$name.manual.h2m"
    includes+=(--include "$out/$name.manual.h2m")
  fi
  "$help2man" --no-info --section=1 \
    --name="$summary" --version-string="$name $version" \
    --help-option="$help_option" "${includes[@]}" \
    --output="$out/$name.1" "$program"
  rm -f "$out/$name.see-also" "$out/$name.manual.h2m"
  exit_status_section "$out/$name.1"
  gzip -9nf "$out/$name.1"
}

# A man page's NAME line starts in lower case and has no final full stop.
summary_of() { local s=${1%.}; printf '%s' "${s,}"; }

page scenario "$(summary_of "$("$tool" --help | head -n 1 | sed 's/:.*//')")" \
  "$tool" --help
page scenario_builder "$(summary_of "$("$builder" --help | head -n 1)")" \
  "$builder" --help
for entry in "${listed[@]}"; do
  sub=${entry%%$'\t'*}
  page "scenario-$sub" "$(summary_of "${entry#*$'\t'}")" "$tool" "$sub --help"
done
touch "$out/pages.stamp"
