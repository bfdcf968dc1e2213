#!/usr/bin/env bash
# The manual pages: one for the tool, one per subcommand it lists, one for
# scenario_builder; each renders with `man -l` without a warning and has its
# name, synopsis, exit statuses and file formats. The page of a subcommand
# (and of the builder) carries every paragraph, list item and example of its
# page of the manual, docs/SUBCOMMAND.md, with the pages that one brings in.
# The Italian pages (MAN_DIR/it) are the same pages in UTF-8 under Italian
# headings, made from the Italian --help, and point to the English guide.
#   manpages_test.sh MAN_DIR SCENARIO DOCS_DIR
set -uo pipefail
man_dir=$1 tool=$2 docs=$3
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pages=(scenario scenario_builder)
while read -r sub; do pages+=("scenario-$sub"); done < <("$tool" --help |
  awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
((${#pages[@]} > 2)) || fail "scenario --help lists no subcommand"

# The manual's examples as a page shows them: indented under the text.
code_lines() {
  awk '/^```/ { fence = !fence; next }
       fence { print "           " $0 }
       !fence && /^    / { print "           " substr($0, 5) }' "$docs"/*.md
}

# The pieces of text a docs page (with what it brings in through
# "<!-- man: PAGE.md -->") must give its manual page, one a line: each
# paragraph, list item and example line, reduced to its words (letters and
# digits), so that line breaks, hyphenation, fonts and links do not count,
# after the name of the page it comes from and a tab.
docs_pieces() {
  perl -e '
    use strict; use warnings;
    sub words { my $s = shift; $s =~ s/\[([^\]]*)\]\([^)]*\)/$1/g;
                join " ", $s =~ /[A-Za-z0-9]+/g }
    sub page {
      my $file = shift;
      open my $fh, "<", $file or die "$file: $!\n";
      my @lines = <$fh>; chomp @lines;
      my (@piece, $fence);
      (my $name = $file) =~ s{.*/}{};
      my $flush = sub { my $w = words(join " ", @piece);
                        print "$name\t$w\n" if length $w; @piece = () };
      for my $l (@lines) {
        if ($l =~ /^```/) { $flush->(); $fence = !$fence; next }
        if ($fence || $l =~ /^    \S/) { $flush->(); my $w = words($l);
                                          print "$name\t$w\n" if length $w; next }
        if ($l =~ /^<!--\s*man:\s*(\S+)\s*-->$/) {
          my $other = $1; $flush->(); (my $dir = $file) =~ s{[^/]*$}{};
          page("$dir$other"); next }
        if ($l =~ /^\s*$/ || $l =~ /^(#|\||<!--)/) { $flush->(); next }
        $flush->() if $l =~ /^- /;
        push @piece, $l;
      }
      $flush->();
    }
    page($ARGV[0]);' "$1"
}

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
  # The manual's text brings no second one.
  (($(grep -cx "EXIT STATUS" <<<"$text") == 1)) || fail "$page(1) has more than one EXIT STATUS"
  # A help line whose description help2man could not tell from its option
  # keeps the help's column padding in the page; the manual's examples keep
  # theirs on purpose.
  padded=$(grep -E '^ .*[^ ] {12,}[^ ]' <<<"$text" | grep -vxF -f <(code_lines))
  [[ -z $padded ]] || fail "$page(1) runs a description into its option: $padded"
  grep -q "Windows-1252" <<<"$text" || fail "$page(1) does not say how descriptions are encoded"

  # The page of the manual, word for word, in the DESCRIPTION.
  manual=$docs/${page#scenario-}.md
  [[ $page == scenario ]] && continue
  if [[ ! -f $manual ]]; then
    fail "$page(1) has no page of the manual ($manual)"
    continue
  fi
  description=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$file" 2>/dev/null |
    sed -n '/^DESCRIPTION$/,/^[A-Z]/p' |
    perl -0777 -pe 's/\x{e2}\x{80}\x{90}\n\s*//g; s/[^A-Za-z0-9]+/ /g')
  while IFS=$'\t' read -r source piece; do
    [[ " $description " == *" $piece "* ]] ||
      fail "$page(1) lacks this text of $source: $piece"
  done < <(docs_pieces "$manual")
done

# A subcommand's page is its own help: its synopsis is the subcommand's.
synopsis=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man_dir/scenario-check.1.gz" 2>/dev/null |
  sed -n '/^SYNOPSIS$/{n;p}')
[[ $synopsis == *"scenario check [OPTIONS] [LINE] [TRAIN]"* ]] ||
  fail "scenario-check(1) synopsis: $synopsis"

# scenario-timing(1) explains the running-time model.
timing=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man_dir/scenario-timing.1.gz" 2>/dev/null)
grep -q "braking curves run backwards" <<<"$timing" ||
  fail "scenario-timing(1) does not explain the running-time model"

# The words of a text, one line of them (letters of every alphabet and
# digits), so that line breaks, hyphenation and fonts do not count.
words_of() { perl -CSD -0777 -pe 's/\x{2010}\n\s*//g; s/[^\p{L}\p{N}]+/ /g; s/^ +| +$//g'; }

# The option descriptions of a help text, one a line: what follows an
# option's name after a run of blanks.
option_descriptions() {
  sed -nE 's/^  +-.*[^ ]   +([^ ].*)$/\1/p'
}

it_made=("$man_dir"/it/*.1.gz)
((${#it_made[@]} == ${#pages[@]})) ||
  fail "${#it_made[@]} Italian pages made for ${#pages[@]} programs and subcommands"
for page in "${pages[@]}"; do
  file=$man_dir/it/$page.1.gz
  if [[ ! -f $file ]]; then
    fail "no Italian page $page(1)"
    continue
  fi
  zcat "$file" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 || fail "it/$page(1) is not UTF-8"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>"$man_dir/.stderr")
  warnings=$(<"$man_dir/.stderr")
  rm -f "$man_dir/.stderr"
  [[ -z $warnings ]] || fail "it/$page(1) renders with warnings: $warnings"
  for section in NOME SINTASSI DESCRIZIONE OPZIONI "STATO DI USCITA" FILE "VEDERE ANCHE"; do
    grep -qx "$section" <<<"$text" || fail "it/$page(1) has no $section section"
  done
  grep -qE "^       $page +- " <<<"$text" || fail "it/$page(1) does not name $page"
  status=$(sed -n '/^STATO DI USCITA$/,/^[A-Z]/p' <<<"$text")
  for s in 0 64; do
    grep -qE "^       $s +[a-z]" <<<"$status" || fail "it/$page(1) does not list exit status $s"
  done

  # Every option reads as the Italian help says it, and none as the
  # English one does where the two differ.
  case $page in
    scenario) help=(--help) ;;
    scenario_builder) help=(--help) ;;
    *) help=("${page#scenario-}" --help) ;;
  esac
  program=$tool
  [[ $page == scenario_builder ]] && program=$(dirname "$tool")/scenario_builder
  page_words=" $(words_of <<<"$text") "
  [[ $page_words == *" Windows 1252 "* ]] || fail "it/$page(1) does not say how descriptions are encoded"
  english=$(LC_ALL=C "$program" "${help[@]}" | option_descriptions)
  italian=$(LC_ALL=it_IT.UTF-8 "$program" "${help[@]}" | option_descriptions)
  [[ -n $italian ]] || fail "it/$page(1): the Italian help lists no option"
  while IFS= read -r d; do
    [[ $page_words == *" $(words_of <<<"$d") "* ]] || fail "it/$page(1) lacks the option text: $d"
  done <<<"$italian"
  while IFS= read -r d; do
    grep -qxF -- "$d" <<<"$italian" && continue
    [[ $page_words != *" $(words_of <<<"$d") "* ]] || fail "it/$page(1) holds the English option text: $d"
  done <<<"$english"

  # The guide of the manual is English: the page says where it is.
  if [[ $page != scenario ]]; then
    grep -q "in inglese" <<<"$text" && grep -q "man -L C $page" <<<"$text" ||
      fail "it/$page(1) does not lead to the English guide"
  fi
done

((failures == 0)) && echo "${#pages[@]} pages in English and in Italian render cleanly and carry the manual"
exit $((failures > 0))
