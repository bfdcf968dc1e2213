#!/usr/bin/env bash
# Every relative link of README.md and docs/*.md names a file or folder that
# exists, and a link with "#ANCHOR" names a heading of its Markdown file (as
# the anchor a web view gives it: lower case, punctuation dropped, blanks as
# dashes). Links to the web (scheme:...) are not followed.
#   links_test.sh SOURCE_DIR
set -uo pipefail
root=$1
failures=0 links=0

# The anchors of a Markdown file, one a line.
anchors() {
  awk '/^```/ { fence = !fence; next } !fence && /^#+ / { sub(/^#+ +/, ""); print }' "$1" |
    perl -CSD -ne 'chomp; $_ = lc; s/[^\w\- ]//g; s/ /-/g; print "$_\n"'
}

for page in "$root"/README.md "$root"/docs/*.md; do
  dir=$(dirname "$page")
  # Inline links [text](target), outside code spans and blocks.
  while IFS= read -r target; do
    links=$((links + 1))
    path=${target%%#*} anchor=
    [[ $target == *"#"* ]] && anchor=${target#*#}
    file=$page
    [[ -n $path ]] && file=$dir/$path
    if [[ ! -e $file ]]; then
      echo "FAIL: ${page#"$root"/}: $target: no such file"
      failures=$((failures + 1))
    elif [[ -n $anchor ]] && ! anchors "$file" | grep -qxF "$anchor"; then
      echo "FAIL: ${page#"$root"/}: $target: no heading #$anchor"
      failures=$((failures + 1))
    fi
  done < <(awk '/^```/ { fence = !fence; next } !fence' "$page" |
    perl -ne 's/`[^`]*`//g; print "$1\n" while /\]\(([^)\s]+)\)/g' |
    grep -vE '^[a-z][a-z0-9+.-]*:')
done

((links > 0)) || { echo "FAIL: no link found"; exit 1; }
((failures == 0)) && echo "$links links lead somewhere"
exit $((failures > 0))
