#!/usr/bin/env bash
# The Debian package: built with cpack, its fields and contents read back
# with dpkg-deb, unpacked into a temporary root and run from there, and
# checked by lintian.
#   package_test.sh CPACK BUILD_DIR VERSION
set -uo pipefail
cpack=$1 build=$2 version=$3
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
shopt -s nullglob
debs=("$work"/out/*.deb)
if ((${#debs[@]} != 1)); then
  echo "FAIL: cpack made ${#debs[@]} packages"
  exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "scenario-builder_${version}_$arch.deb" ]] ||
  fail "package file $(basename "$deb")"

# --- Fields: the programs' version, dependencies found by dpkg-shlibdeps
# (the window module's toolkit among them).
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == scenario-builder ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
for dep in libc6 libfltk1.3 libx11-6; do
  [[ ", $(field Depends)," == *", $dep "* || ", $(field Depends)," == *", $dep,"* ]] ||
    fail "Depends lacks $dep: $(field Depends)"
done

# --- Contents: every installed file under /usr, owned by root, with the
# modes Debian expects; nothing else.
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort)
want=$(sort <<EOF2
-rwxr-xr-x root/root ./usr/bin/scenario
-rwxr-xr-x root/root ./usr/bin/scenario_builder
-rw-r--r-- root/root ./usr/lib/$(gcc -print-multiarch 2>/dev/null || dpkg-architecture -qDEB_HOST_MULTIARCH)/scenario-builder/libscenario_window.so
-rw-r--r-- root/root ./usr/share/bash-completion/completions/scenario
-rw-r--r-- root/root ./usr/share/doc/scenario-builder/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/scenario-builder/copyright
-rw-r--r-- root/root ./usr/share/scenario-builder/scenario-$version.vsix
$(for page in "$build"/man/*.1.gz; do
  echo "-rw-r--r-- root/root ./usr/share/man/man1/$(basename "$page")"
done)
$(for page in "$build"/man/it/*.1.gz; do
  echo "-rw-r--r-- root/root ./usr/share/man/it/man1/$(basename "$page")"
done)
EOF2
)
[[ $contents == "$want" ]] || fail "contents:
$(diff <(echo "$want") <(echo "$contents"))"
[[ $(dpkg-deb -c "$deb" | grep -c "usr/share/man/man1/scenario-") -ge 1 ]] ||
  fail "no subcommand page"
[[ $(dpkg-deb -c "$deb" | grep -c "usr/share/man/it/man1/scenario-") -ge 1 ]] ||
  fail "no Italian subcommand page"

# --- Unpacked into a temporary root, it runs from there: the version, a
# check of a small pair, a run of the builder in an empty folder (console),
# the pages and the completion.
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
line=$("$root/usr/bin/scenario" --version)
[[ $line =~ ^scenario\ $version\ \(commit\ [0-9a-f]+(-dirty)?|unknown\)$ ]] ||
  fail "unpacked scenario --version: $line"
line=$("$root/usr/bin/scenario_builder" --version)
[[ $line == "scenario_builder $version "* ]] || fail "unpacked scenario_builder --version: $line"

mkdir "$work/run"
(cd "$work/run" && env -u DISPLAY "$root/usr/bin/scenario_builder") >"$work/run.out" 2>"$work/run.err"
status=$?
[[ $status == 0 && $(<"$work/run.err") == Attendere ]] ||
  fail "unpacked scenario_builder: status $status, $(<"$work/run.err")"
[[ $(ls "$work/run" | wc -l) == 6 ]] || fail "unpacked scenario_builder left: $(ls "$work/run")"
"$root/usr/bin/scenario" inspect "$work/run" >"$work/inspect.out" 2>&1 ||
  fail "unpacked scenario inspect of the run: $(<"$work/inspect.out")"
[[ $(ls "$root/usr/bin") == $'scenario\nscenario_builder' ]] ||
  fail "the builder wrote beside itself: $(ls "$root/usr/bin")"

for page in "$root"/usr/share/man/man1/*.1.gz "$root"/usr/share/man/it/man1/*.1.gz; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >/dev/null 2>"$work/man.err" &&
    [[ ! -s $work/man.err ]] || fail "$(basename "$page"): $(<"$work/man.err")"
done
subcommands=$(bash -c '
  source "$1/usr/share/bash-completion/completions/scenario"
  COMP_WORDS=("$1/usr/bin/scenario" ch); COMP_CWORD=1; _scenario
  echo "${COMPREPLY[*]}"' _ "$root")
[[ $subcommands == check ]] || fail "unpacked completion of \"scenario ch\": $subcommands"

# The VS Code extension: the project's version and the descriptions'
# language, its grammar and its one dependency inside.
vsix=$root/usr/share/scenario-builder/scenario-$version.vsix
manifest=$(unzip -p "$vsix" extension/package.json 2>&1)
[[ $manifest == *"\"version\": \"$version\""* && $manifest == *'"id": "scenario-description"'* ]] ||
  fail "the extension's manifest: $manifest"
listing=$(unzip -l "$vsix" 2>&1)
for member in extension/syntaxes/scenario-description.tmLanguage.json extension/src/extension.js \
  extension/node_modules/vscode-languageclient/package.json; do
  [[ $listing == *"$member"* ]] || fail "the extension lacks $member"
done

# --- lintian: no error and no warning but those accepted here, each with
# its reason (none at present).
accepted=()
lintian_args=(--fail-on error,warning)
((${#accepted[@]})) && lintian_args+=(--suppress-tags "$(IFS=,; echo "${accepted[*]}")")
if ! lintian "${lintian_args[@]}" "$deb" >"$work/lintian.log" 2>&1; then
  fail "lintian:
$(<"$work/lintian.log")"
fi

((failures == 0)) && echo "package $(basename "$deb") passes"
exit $((failures > 0))
