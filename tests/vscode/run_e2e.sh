#!/usr/bin/env bash
# The editor test: the build's extension installed in the browser-hosted VS
# Code (installed into .tools/ by scripts/setup), driven in chromium by
# e2e.mjs on the build's pair of descriptions with an accented station name.
# Every wait is bounded; code-server is stopped by its process group; the
# screenshots stay in BUILD/vscode-e2e/screenshots.
#   run_e2e.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: run_e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
tools=$here/../../.tools
code_server=$tools/code-server/node_modules/.bin/code-server
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
vsix=$build/scenario-$version.vsix
for need in "$code_server" "$tools/e2e/node_modules/puppeteer-core" "$vsix" \
  "$build/scenario" "$build/write_build_pair" /usr/bin/chromium; do
  [[ -e $need ]] || {
    echo "run_e2e.sh: $need is missing (scripts/setup installs the tools; the build makes the rest)" >&2
    exit 66
  }
done

work=$build/vscode-e2e
rm -rf "$work"
mkdir -p "$work/ws" "$work/user/User" "$work/extensions" "$work/screenshots" "$work/chrome"
# The program through the scenario.path setting: the editor's extension host
# does not see this shell's PATH.
node -e '
  const fs = require("fs"), [from, to, program] = process.argv.slice(1);
  const s = JSON.parse(fs.readFileSync(from, "utf8"));
  s["scenario.path"] = program;
  // The messages to and from the server, so that the test can tell what
  // the server published from what the editor shows.
  s["scenario.trace.server"] = "verbose";
  fs.writeFileSync(to, JSON.stringify(s, null, 2));' \
  "$here/settings.json" "$work/user/User/settings.json" "$build/scenario"
"$build/write_build_pair" "$work/ws" || exit 70
# An accented station name, as Windows-1252 bytes (0xC0), a quoted one, and
# a record written twice (a warning with a quick fix).
node -e '
  const fs = require("fs"), f = process.argv[1];
  const t = fs.readFileSync(f, "latin1").replace(", ROVIGNANO\r\n", ", CITT\u00c0 DI ROVIGNANO\r\n")
    .replace(", TARVENA\r\n", ", \"TARVENA\"\r\n")
    .replace(/(velocita, +49700,[^\r]*\r\n)/, "$1$1");
  fs.writeFileSync(f, t, "latin1");' "$work/ws/Tarvena_Olmisco_IR 4518-.txt"
printf 'plain notes, [generale] not a description\r\n' >"$work/ws/notes.txt"

flags=(--config "$work/config.yaml" --user-data-dir "$work/user" --extensions-dir "$work/extensions")
if ! timeout 120 "$code_server" "${flags[@]}" --install-extension "$vsix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  exit 1
fi

port=$((20000 + RANDOM % 20000))
# A gallery at a dead address, so that nothing is fetched.
EXTENSIONS_GALLERY='{"serviceUrl":"http://127.0.0.1:9/gallery"}' \
  setsid "$code_server" "${flags[@]}" --auth none --bind-addr "127.0.0.1:$port" \
  --disable-telemetry --disable-update-check --disable-workspace-trust \
  >"$work/code-server.log" 2>&1 &
server=$!
stop() { kill -TERM -- "-$server" 2>/dev/null; sleep 1; kill -KILL -- "-$server" 2>/dev/null; }
trap stop EXIT
for _ in $(seq 1 120); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.5
done

started=$(date +%s)
CS_URL=http://127.0.0.1:$port WS_FOLDER=$work/ws SHOT_DIR=$work/screenshots \
  SCENARIO_PROGRAM=$build/scenario COMPARE_DIR=$work/command-line EDITOR_LOGS=$work/user/logs \
  CHROME_PROFILE=$work/chrome NODE_PATH=$tools/e2e/node_modules \
  timeout 420 node "$here/e2e.mjs"
status=$?
echo "editor test: status $status after $(($(date +%s) - started)) s; screenshots in $work/screenshots"
exit $status
