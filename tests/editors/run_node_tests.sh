#!/bin/sh
# Runs the tests of the language server under `node --test`, with vscode-jsonrpc installed from
# the lockfile beside this script:
#   run_node_tests.sh TOOL MODULES WORK
# MODULES is the build tree's folder for the node modules and npm's cache; `npm ci` runs there
# only when package.json or the lockfile changed since the last install. A missing node or npm
# skips the test (status 77), except in CI (CI=true), where it fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for program in node npm; do
  if ! command -v "$program" >/dev/null 2>&1; then
    echo "$program is not installed (Debian's nodejs and npm packages)"
    [ "${CI:-}" = true ] && exit 1
    exit 77
  fi
done
# The servers run in scenario folders of their own: the tool by its absolute path.
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") modules=$2 work=$3
mkdir -p "$modules" "$work"
cat "$here/package.json" "$here/package-lock.json" >"$modules/installed.new"
if ! cmp -s "$modules/installed.new" "$modules/installed" || [ ! -d "$modules/node_modules" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$modules/"
  npm ci --prefix "$modules" --cache "$modules/npm-cache" --no-audit --no-fund --loglevel=error
  mv "$modules/installed.new" "$modules/installed"
fi
rm -f "$modules/installed.new"
echo "node $(node --version), vscode-jsonrpc $(node -p 'require(process.argv[1]).version' "$modules/node_modules/vscode-jsonrpc/package.json")"
export NODE_PATH="$modules/node_modules" SCENARIO_TOOL="$tool" SCENARIO_EDITOR_WORK="$work"
exec node --test "$here/protocol.test.cjs" "$here/features.test.cjs"
