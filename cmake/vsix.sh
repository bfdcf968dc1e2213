#!/usr/bin/env bash
# Packs the VS Code extension of editors/vscode into a .vsix: a copy of it
# in a staging folder with its one dependency from the project's .tools/,
# the project's version, and (when given) the program to carry in bin/.
#   vsix.sh VSCE SOURCE_DIR DEPS_NODE_MODULES STAGE VERSION OUTPUT [PROGRAM STRIP]
set -euo pipefail
vsce=$1 source=$2 deps=$3 stage=$4 version=$5 output=$6 program=${7:-} strip=${8:-}
if [[ ! -x $vsce || ! -d $deps/vscode-languageclient ]]; then
  echo "vsix.sh: $vsce or $deps/vscode-languageclient is missing: run scripts/setup" >&2
  exit 66
fi
rm -rf "$stage"
mkdir -p "$stage"
cp -R "$source"/. "$stage"/
cp -R "$deps" "$stage/node_modules"
node -e '
  const fs = require("fs"), f = process.argv[1];
  const p = JSON.parse(fs.readFileSync(f, "utf8"));
  p.version = process.argv[2];
  fs.writeFileSync(f, JSON.stringify(p, null, 2) + "\n");' "$stage/package.json" "$version"
if [[ -n $program ]]; then
  mkdir -p "$stage/bin"
  cp "$program" "$stage/bin/"
  [[ -z $strip ]] || "$strip" "$stage/bin/$(basename "$program")"
fi
rm -f "$output"
(cd "$stage" && "$vsce" package --allow-missing-repository -o "$output" >"$stage.log" 2>&1) || {
  cat "$stage.log" >&2
  exit 1
}
