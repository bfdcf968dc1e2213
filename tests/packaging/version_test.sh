#!/usr/bin/env bash
# The commit --version prints, as cmake/version.cmake finds it: the
# checkout's own, the one given at configure time, or "unknown" for sources
# outside git, even when unpacked inside another checkout.
#   version_test.sh CMAKE VERSION_SCRIPT
set -uo pipefail
cmake=$1 script=$2
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

commit_for() {  # SOURCE_DIR GIVEN_COMMIT
  "$cmake" -DSOURCE_DIR="$1" -DVERSION=9.8.7 -DCOMMIT="$2" \
    -DOUTPUT="$work/version.cc" -P "$script" || return 1
  grep -q 'release_version() { return "9.8.7"; }' "$work/version.cc" || echo "no release"
  sed -n 's/.*build_commit() { return "\(.*\)"; }.*/\1/p' "$work/version.cc"
}
expect() {  # WHAT GOT WANT_PATTERN
  if [[ ! $2 =~ ^$3$ ]]; then
    echo "FAIL: $1: got \"$2\""
    failures=$((failures + 1))
  fi
}

git() { command git -c user.name=t -c user.email=t@t "$@"; }
mkdir -p "$work/plain" "$work/repo/tarball"
git -C "$work/repo" init -q
git -C "$work/repo" commit -q --allow-empty -m first
head=$(git -C "$work/repo" rev-parse --short=12 HEAD)

expect "no git" "$(commit_for "$work/plain" "")" unknown
expect "given" "$(commit_for "$work/plain" 0123abcd)" 0123abcd
expect "checkout" "$(commit_for "$work/repo" "")" "$head"
expect "inside another checkout" "$(commit_for "$work/repo/tarball" "")" unknown
touch "$work/repo/changed" && git -C "$work/repo" add changed
expect "changed checkout" "$(commit_for "$work/repo" "")" "$head-dirty"
# An unchanged text leaves the file as it was (nothing to rebuild).
touch -d @0 "$work/version.cc"
commit_for "$work/repo" "" >/dev/null
[[ $(stat -c %Y "$work/version.cc") == 0 ]] || {
  echo "FAIL: the same text was written again"
  failures=$((failures + 1))
}

((failures == 0)) && echo "every commit source found"
exit $((failures > 0))
