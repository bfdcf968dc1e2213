#!/bin/sh
# Installs the browser-hosted VS Code (code-server 4.100.3, the last release
# that runs on node 20) into DIR from npm alone: its install scripts would
# download ripgrep and prebuilt native modules from outside the registries,
# so they are skipped, the native modules are built from source against
# Debian's node headers, and Debian's ripgrep stands in. Does nothing when
# DIR holds that release already.
#   setup_code_server.sh DIR
set -eu
DEST=${1:?usage: setup_code_server.sh DIR}
VERSION=4.100.3
[ -f "$DEST/ready-$VERSION" ] && exit 0
export npm_config_nodedir=/usr # headers from Debian's nodejs: no download
export JOBS=2
mkdir -p "$DEST"
DEST=$(cd "$DEST" && pwd) # the steps below change folder
cd "$DEST"
[ -f package.json ] || echo '{"name":"code-server-host","private":true}' >package.json
npm install --ignore-scripts --no-audit --no-fund --loglevel=error "code-server@$VERSION"
GYP="node /usr/share/nodejs/node-gyp/bin/node-gyp.js"
[ -f /usr/share/nodejs/node-gyp/bin/node-gyp.js ] ||
  GYP="node /usr/lib/node_modules/npm/node_modules/node-gyp/bin/node-gyp.js"
(cd node_modules/argon2 && ../.bin/node-pre-gyp rebuild --build-from-source --nodedir=/usr >/dev/null)
cd node_modules/code-server/lib/vscode
npm install --omit=dev --ignore-scripts --no-audit --no-fund --loglevel=error
for p in @vscode/spdlog @vscode/deviceid native-watchdog node-pty kerberos; do
  (cd "node_modules/$p" && $GYP rebuild --nodedir=/usr >/dev/null)
done
mkdir -p node_modules/@vscode/ripgrep/bin
ln -sf /usr/bin/rg node_modules/@vscode/ripgrep/bin/rg
ln -sfn node_modules node_modules.asar
(cd bin/remote-cli && ln -sf code-linux.sh code-server)
(cd bin/helpers && ln -sf browser-linux.sh browser.sh)
(cd extensions && npm install --omit=dev --no-audit --no-fund --loglevel=error >/dev/null)
touch "$DEST/ready-$VERSION"
echo "code-server ready: $DEST/node_modules/.bin/code-server"
