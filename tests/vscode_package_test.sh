#!/usr/bin/env bash
# Checks the VS Code extension made by `make dist` the way VS Code meets it: a ZIP with the
# files an installed extension needs (the manifest, the client, both grammars, scenario-tool for
# Linux and for Windows, the language client's packages) and none of the packages only the
# build uses; a manifest that opens the two texts in Windows-1252 with CR LF and names the tool's
# setting; and tools that run: the Linux one here, the Windows one under wine when WINE is set.
#
#   SCENARIO_VSCODE_PACKAGE  the .vsix made by `make dist`
#   WINE                     the wine loader (optional)
set -euo pipefail
: "${SCENARIO_VSCODE_PACKAGE:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source_dir=$(cd "$(dirname "$0")/.." && pwd)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
stop() {
  echo "FAIL: $*"
  exit 1
}

for command in unzip python3; do
  command -v "$command" >/dev/null || stop "$command is not installed"
done
[ -f "$SCENARIO_VSCODE_PACKAGE" ] || stop "missing: $SCENARIO_VSCODE_PACKAGE"
version=$(sed -n 's/^project(zelnor_scenario VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || stop "no project version in CMakeLists.txt"
[ "$(basename "$SCENARIO_VSCODE_PACKAGE")" = "scenario-texts-$version.vsix" ] ||
  fail "the extension is called $(basename "$SCENARIO_VSCODE_PACKAGE"), not scenario-texts-$version.vsix"
unzip -tq "$SCENARIO_VSCODE_PACKAGE" >/dev/null || stop "the .vsix is damaged"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
listing=$(unzip -Z1 "$SCENARIO_VSCODE_PACKAGE")

# --- What an installed extension needs, and what only the build needs.
required="extension.vsixmanifest
extension/package.json
extension/extension.js
extension/language-configuration.json
extension/syntaxes/scenario-linea.tmLanguage.json
extension/syntaxes/scenario-treno.tmLanguage.json
extension/bin/linux/scenario-tool
extension/bin/win32/scenario-tool.exe
extension/node_modules/vscode-languageclient/package.json
extension/node_modules/vscode-languageclient/node.js
extension/node_modules/vscode-languageserver-protocol/package.json
extension/node_modules/vscode-jsonrpc/package.json"
while IFS= read -r name; do
  grep -qxF "$name" <<< "$listing" || fail "the .vsix lacks $name"
done <<< "$required"
for unwanted in extension/node_modules/@vscode/vsce/ extension/node_modules/vscode-textmate/ \
                extension/node_modules/vscode-oniguruma/ extension/test/; do
  if grep -qF "$unwanted" <<< "$listing"; then
    fail "the .vsix holds $unwanted, which only the build and the tests use"
  fi
done
linux_mode=$(unzip -Z "$SCENARIO_VSCODE_PACKAGE" extension/bin/linux/scenario-tool | awk '{ print $1 }')
[[ $linux_mode == -rwx* ]] || fail "the Linux tool is not executable in the .vsix: $linux_mode"

# --- The manifest.
unzip -q "$SCENARIO_VSCODE_PACKAGE" -d "$work/vsix"
python3 - "$work/vsix/extension" "$version" <<'PYTHON' || fail "the manifest is not right"
import json
import os
import re
import sys

root, version = sys.argv[1], sys.argv[2]
manifest = json.load(open(os.path.join(root, "package.json"), encoding="utf-8"))
client = json.load(open(os.path.join(root, "node_modules", "vscode-languageclient", "package.json"),
                        encoding="utf-8"))
problems = []

def expect(what, actual, expected):
    if actual != expected:
        problems.append(f"{what}: {actual!r}, not {expected!r}")

def lowest(version_range):
    match = re.search(r"(\d+)\.(\d+)\.(\d+)", version_range or "")
    return tuple(map(int, match.groups())) if match else None

expect("name", manifest.get("name"), "scenario-texts")
expect("publisher", manifest.get("publisher"), "zelnor-scenario")
expect("version", manifest.get("version"), version)
main = manifest.get("main", "")
if not os.path.isfile(os.path.join(root, main)):
    problems.append(f"main {main!r} is not in the package")
ours = lowest(manifest.get("engines", {}).get("vscode"))
theirs = lowest(client.get("engines", {}).get("vscode"))
if ours is None or theirs is None or ours < theirs:
    problems.append(f"engines.vscode {manifest.get('engines')} is older than the language "
                    f"client's {client.get('engines')}")

contributes = manifest.get("contributes", {})
languages = {entry["id"]: entry for entry in contributes.get("languages", [])}
expect("scenario-linea's file names", languages.get("scenario-linea", {}).get("filenamePatterns"),
       ["*_linea.txt"])
expect("scenario-treno's file names", languages.get("scenario-treno", {}).get("filenamePatterns"),
       ["*-.txt"])
grammars = {entry.get("language"): entry for entry in contributes.get("grammars", [])}
for language in ("scenario-linea", "scenario-treno"):
    grammar = grammars.get(language)
    if grammar is None:
        problems.append(f"no grammar for {language}")
        continue
    path = os.path.join(root, grammar["path"])
    if not os.path.isfile(path):
        problems.append(f"the grammar of {language} is not in the package: {grammar['path']}")
        continue
    expect(f"scopeName of {grammar['path']}", json.load(open(path, encoding="utf-8"))["scopeName"],
           grammar["scopeName"])
    configuration = languages.get(language, {}).get("configuration", "")
    if not os.path.isfile(os.path.join(root, configuration)):
        problems.append(f"the language configuration of {language} is not in the package")
    expect(f"configurationDefaults of {language}",
           contributes.get("configurationDefaults", {}).get(f"[{language}]"),
           {"files.encoding": "windows1252", "files.eol": "\r\n"})
setting = contributes.get("configuration", {}).get("properties", {}).get("scenarioTexts.toolPath")
if not setting or setting.get("type") != "string":
    problems.append("no string setting scenarioTexts.toolPath")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
PYTHON

# --- The tools: each is the program of its system, and answers.
tool="$work/vsix/extension/bin/linux/scenario-tool"
[ -f "$tool" ] && [ "$(head -c 4 "$tool" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "the Linux tool is not an ELF file"
"$tool" help > "$work/help.linux" 2>&1 || fail "the Linux tool in the .vsix does not run"
grep -q '^uso: scenario-tool' "$work/help.linux" || fail "the Linux tool printed no usage"
exe="$work/vsix/extension/bin/win32/scenario-tool.exe"
[ -f "$exe" ] && [ "$(head -c 2 "$exe")" = MZ ] || fail "the Windows tool is not a Windows executable"
if [ -n "${WINE:-}" ]; then
  "$WINE" "$exe" help > "$work/help.windows" 2>&1 || fail "the Windows tool in the .vsix does not run"
  diff <(tr -d '\r' < "$work/help.windows") "$work/help.linux" >/dev/null ||
    fail "the two tools of the .vsix print another usage"
fi

if [ "$failures" -ne 0 ]; then
  echo "VS Code extension: $failures failed"
  exit 1
fi
echo "VS Code extension: $(basename "$SCENARIO_VSCODE_PACKAGE") passed"
