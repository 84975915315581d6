#!/usr/bin/env bash
# Packs the VS Code extension into one .vsix holding scenario-tool for Linux and for Windows, so
# one file installs on either system. The tools are stripped copies; the extension's version is
# the project's.
#
#   editors/pack_vscode.sh LINUX_TOOL WINDOWS_TOOL VERSION STAGE NPM_CACHE OUT.vsix
#
# STRIP and MINGW_STRIP name the strip programs for the two tools.
set -euo pipefail
[ $# -eq 6 ] || {
  echo "usage: $0 LINUX_TOOL WINDOWS_TOOL VERSION STAGE NPM_CACHE OUT.vsix" >&2
  exit 2
}
linux_tool=$1
windows_tool=$2
version=$3
stage=$4
cache=$5
out=$6
STRIP=${STRIP:-strip}
MINGW_STRIP=${MINGW_STRIP:-x86_64-w64-mingw32-strip}
for file in "$linux_tool" "$windows_tool"; do
  [ -f "$file" ] || { echo "missing: $file" >&2; exit 1; }
done
case $out in
  /*) ;;
  *) out=$PWD/$out ;;
esac

"$(dirname "$0")/stage_vscode.sh" "$stage" "$cache"
mkdir -p "$stage/bin/linux" "$stage/bin/win32"
"$STRIP" -o "$stage/bin/linux/scenario-tool" "$linux_tool"
chmod 755 "$stage/bin/linux/scenario-tool"
"$MINGW_STRIP" -o "$stage/bin/win32/scenario-tool.exe" "$windows_tool"
(cd "$stage" && node -e '
  const fs = require("fs");
  const manifest = JSON.parse(fs.readFileSync("package.json", "utf8"));
  manifest.version = process.argv[1];
  fs.writeFileSync("package.json", JSON.stringify(manifest, null, 2) + "\n");
' "$version")

mkdir -p "$(dirname "$out")"
rm -f "$out"
# The extension is not published from here: it has no repository, and no licence of its own.
(cd "$stage" && ./node_modules/.bin/vsce package --skip-license --allow-missing-repository \
   --out "$out")
