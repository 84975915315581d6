#!/usr/bin/env bash
# Lays the VS Code extension's sources into a folder of the build tree and installs its npm
# packages there from the lockfile: the grammar tests run there, and the .vsix is packed from
# there. The packages are installed again only when the lockfile changes, from a cache in the
# build tree, so a build tree downloads them once.
#
#   editors/stage_vscode.sh STAGE NPM_CACHE
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 STAGE NPM_CACHE" >&2; exit 2; }
mkdir -p "$1" "$2"
stage=$(cd "$1" && pwd)
cache=$(cd "$2" && pwd)
source_dir=$(cd "$(dirname "$0")/vscode" && pwd)
for command in node npm; do
  command -v "$command" >/dev/null || { echo "$command is not installed" >&2; exit 1; }
done

# A file the sources no longer hold must not reach the package; the packages stay.
find "$stage" -mindepth 1 -maxdepth 1 ! -name node_modules ! -name .npm-stamp -exec rm -rf {} +
tar -C "$source_dir" --exclude=./node_modules --exclude='*.vsix' -cf - . | tar -C "$stage" -xf -

stamp=$(sha256sum "$source_dir/package-lock.json" | cut -d' ' -f1)
if [ ! -d "$stage/node_modules" ] || [ "$(cat "$stage/.npm-stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -f "$stage/.npm-stamp"
  # No install scripts: none of the packages needs one, and an optional native module of the
  # packer (its credential store, used only to publish) would try to build itself.
  (cd "$stage" && npm ci --ignore-scripts --no-audit --no-fund --prefer-offline --cache "$cache")
  echo "$stamp" > "$stage/.npm-stamp"
fi
