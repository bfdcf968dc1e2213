#!/usr/bin/env bash
# Writes the manual pages, gzipped, from the programs' own --help and
# --version: scenario(1), scenario-SUBCOMMAND(1) for every subcommand that
# `scenario --help` lists (so a new subcommand gets its page), and
# scenario_builder(1). SECTIONS/PAGE.h2m, when there, and SECTIONS/common.h2m
# add sections (help2man's include format). The page of the manual for a
# subcommand, DOCS/SUBCOMMAND.md (DOCS/scenario_builder.md for the builder),
# ends the page's DESCRIPTION, turned by DOCS_TO_MAN.
# The same pages in Italian go to OUT/it, made from the Italian --help (the
# programs speak the language of LC_ALL, which help2man's --locale sets) with
# the sections of SECTIONS/it; the manual is English, so an Italian page
# says where its English page is instead of carrying it.
#   manpages.sh HELP2MAN SCENARIO BUILDER SECTIONS DOCS DOCS_TO_MAN OUT
set -euo pipefail
help2man=$1 tool=$2 builder=$3 sections=$4 docs=$5 docs_to_man=$6 out=$7

rm -rf "$out"
mkdir -p "$out/it"

# The words that differ between the languages of the pages: help2man's
# locale, the heading of the subcommands' list, the section headings (as
# help2man's catalogue names them) and the help's footer.
declare -A locale=([en]=C [it]=it_IT.UTF-8)
declare -A subcommands_heading=([en]="Subcommands:" [it]="Sottocomandi:")
declare -A see_also_heading=([en]="SEE ALSO" [it]="VEDERE ANCHE")
declare -A description_heading=([en]="DESCRIPTION" [it]="DESCRIZIONE")
declare -A exit_status_label=([en]="Exit status" [it]="Stato di uscita")
declare -A exit_status_heading=([en]="EXIT STATUS" [it]="STATO DI USCITA")
declare -A page_dir=([en]="$out" [it]="$out/it")
declare -A section_dir=([en]="$sections" [it]="$sections/it")

# The subcommands and their one-line descriptions, as `scenario --help`
# lists them in LANGUAGE under its heading.
listed_in() {
  local language=$1
  LC_ALL=${locale[$language]} "$tool" --help |
    awk -v heading="${subcommands_heading[$language]}" '
    /^[A-Za-z].*:$/ { in_list = ($0 == heading); next }
    in_list && /^  [a-z]/ { name = $1; $1 = ""; sub(/^ +/, ""); print name "\t" $0 }'
}
mapfile -t listed < <(listed_in en)
if ((${#listed[@]} == 0)); then
  echo "manpages.sh: $tool --help lists no subcommand" >&2
  exit 1
fi

pages=(scenario scenario_builder)
for entry in "${listed[@]}"; do pages+=("scenario-${entry%%$'\t'*}"); done

# SEE ALSO names every other page.
see_also() {
  local self=$1 language=$2 list="" p
  for p in "${pages[@]}"; do
    [[ $p == "$self" ]] && continue
    list+="${list:+,
}.BR $p (1)"
  done
  printf '[%s]\n%s\n' "${see_also_heading[$language]}" "$list"
}

# The version the pages carry (the commit is left to --version).
version=$("$tool" --version | awk '{ print $2 }')

# The footer's "Exit status: 0 ...; 1 ...; 64 ..." becomes an EXIT STATUS
# section with one item per status (LABEL and HEADING in the page's
# language).
exit_status_section() {
  LABEL=$2 HEADING=$3 perl -0pi -e 's{^\Q$ENV{LABEL}\E: (.*?)\n(?=\.[A-Z]|\z)}{
    my @items = split /;\s+(?=\d+ )/, $1 =~ s/\n/ /gr =~ s/\.\s*$//r;
    ".SH \"$ENV{HEADING}\"\n" . join("", map { /^(\d+) (.*)$/s ? ".TP\n.B $1\n$2\n" : "$_\n" } @items)
  }mse' "$1"
}

# The end of a page's DESCRIPTION: its page of the manual, turned; in
# Italian, where the English page is, since the manual is English.
manual_include() {
  local name=$1 language=$2 manual=$docs/${1#scenario-}.md
  [[ $name != scenario && -f $manual ]] || return 0
  if [[ $language == en ]]; then
    "$docs_to_man" "$manual"
  else
    printf '[>%s]\n.PP\n%s\n.B man \\-L C %s\n' "${description_heading[$language]}" \
      "La guida completa, con esempi, è in inglese, nella pagina di manuale inglese:" \
      "$name"
  fi
}

# One page in LANGUAGE. HELP_OPTION runs the program's help: a subcommand's
# page is made from `scenario SUBCOMMAND --help`.
page() {
  local language=$1 name=$2 summary=$3 program=$4 help_option=$5
  local dir=${page_dir[$language]} from=${section_dir[$language]}
  local includes=(--include "$dir/$name.see-also")
  see_also "$name" "$language" >"$dir/$name.see-also"
  [[ -f $from/common.h2m ]] && includes+=(--include "$from/common.h2m")
  if [[ $name == scenario || $name == scenario-* ]] && [[ -f $from/tool.h2m ]]; then
    includes+=(--include "$from/tool.h2m")
  fi
  [[ -f $from/$name.h2m ]] && includes+=(--include "$from/$name.h2m")
  manual_include "$name" "$language" >"$dir/$name.manual.h2m"
  [[ -s $dir/$name.manual.h2m ]] && includes+=(--include "$dir/$name.manual.h2m")
  "$help2man" --no-info --section=1 --locale="${locale[$language]}" \
    --name="$summary" --version-string="$name $version" \
    --help-option="$help_option" "${includes[@]}" \
    --output="$dir/$name.1" "$program"
  rm -f "$dir/$name.see-also" "$dir/$name.manual.h2m"
  exit_status_section "$dir/$name.1" "${exit_status_label[$language]}" \
    "${exit_status_heading[$language]}"
  gzip -9nf "$dir/$name.1"
}

# A man page's NAME line starts in lower case and has no final full stop.
summary_of() { local s=${1%.}; printf '%s' "${s,}"; }

for language in en it; do
  tool_help=$(LC_ALL=${locale[$language]} "$tool" --help | head -n 1 | sed 's/:.*//')
  builder_help=$(LC_ALL=${locale[$language]} "$builder" --help | head -n 1)
  page "$language" scenario "$(summary_of "$tool_help")" "$tool" --help
  page "$language" scenario_builder "$(summary_of "$builder_help")" \
    "$builder" --help
  declare -A summary=()
  while IFS=$'\t' read -r sub text; do summary[$sub]=$text; done < <(listed_in "$language")
  for entry in "${listed[@]}"; do
    sub=${entry%%$'\t'*}
    if [[ -z ${summary[$sub]:-} ]]; then
      echo "manpages.sh: $tool --help in $language does not list $sub" >&2
      exit 1
    fi
    page "$language" "scenario-$sub" "$(summary_of "${summary[$sub]}")" "$tool" "$sub --help"
  done
  unset summary
done
touch "$out/pages.stamp"
