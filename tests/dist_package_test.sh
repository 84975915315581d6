#!/usr/bin/env bash
# Checks the ZIP for Windows users the way a user meets it: its name and exact contents, that
# both executables need no DLL beyond those of Windows itself, that the guide is a Windows-1252
# CR LF text naming the files a run leaves and the Notepad++ files, that those are well-formed
# XML of the two languages, and then, unpacked into a fresh folder whose path
# holds a blank and an "ò", that the program run from there (under wine) writes beside itself
# the same bytes as the Linux program, and that the tool prints its usage and compiles the
# program's own description texts, sound and with a fault, as the Linux tool does.
#
#   SCENARIO_WINDOWS_PACKAGE  the ZIP made by `make dist`
#   SCENARIO_LINUX_PROGRAM    build/scenario/zelnor-scenario
#   SCENARIO_LINUX_TOOL       build/tools/scenario-tool
#   WINE                      the wine loader
#   OBJDUMP                   x86_64-w64-mingw32-objdump unless set
set -euo pipefail
: "${SCENARIO_WINDOWS_PACKAGE:?}" "${SCENARIO_LINUX_PROGRAM:?}" "${SCENARIO_LINUX_TOOL:?}" "${WINE:?}"
OBJDUMP=${OBJDUMP:-x86_64-w64-mingw32-objdump}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source_dir=$(cd "$(dirname "$0")/.." && pwd)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# A missing piece ends the test at once: what follows would only report its consequences.
stop() {
  echo "FAIL: $*"
  exit 1
}

for command in unzip iconv cmp python3 "$OBJDUMP" "$WINE"; do
  command -v "$command" >/dev/null || stop "$command is not installed"
done
for file in "$SCENARIO_WINDOWS_PACKAGE" "$SCENARIO_LINUX_PROGRAM" "$SCENARIO_LINUX_TOOL"; do
  [ -f "$file" ] || stop "missing: $file"
done

line_name="Metrò 2 - Zelnor"
train_code=26BRUNVICCO
version=$(sed -n 's/^project(zelnor_scenario VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || stop "no project version in CMakeLists.txt"
top="zelnor-scenario-$version-windows-x64"
package_files="LEGGIMI.txt
notepad++/autoCompletion/scenario-linea.xml
notepad++/autoCompletion/scenario-treno.xml
notepad++/userDefineLangs/scenario-linea.xml
notepad++/userDefineLangs/scenario-treno.xml
scenario-tool.exe
zelnor-scenario.exe"
# What the package's folder holds at its top: its files and its folders.
package_entries=$(cut -d/ -f1 <<< "$package_files" | LC_ALL=C sort -u)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- The ZIP: its name, its integrity, exactly the package's files under one top folder.
[ "$(basename "$SCENARIO_WINDOWS_PACKAGE")" = "$top.zip" ] ||
  fail "the package is called $(basename "$SCENARIO_WINDOWS_PACKAGE"), not $top.zip"
unzip -tq "$SCENARIO_WINDOWS_PACKAGE" >/dev/null || stop "the ZIP is damaged"
# Entries for the folders themselves, which some archivers add, change nothing for the user.
listing=$(unzip -Z1 "$SCENARIO_WINDOWS_PACKAGE" | grep -v '/$' | LC_ALL=C sort)
expected_listing=$(sed "s|^|$top/|" <<< "$package_files")
if [ "$listing" != "$expected_listing" ]; then
  fail "the ZIP does not hold exactly the expected files"
  diff <(echo "$expected_listing") <(echo "$listing") || true
fi

unpacked="$work/Cartella di prova ò"
mkdir -p "$unpacked"
unzip -q "$SCENARIO_WINDOWS_PACKAGE" -d "$unpacked"
package="$unpacked/$top"
for name in $package_files; do
  [ -f "$package/$name" ] || stop "$name is not in the package's folder $top"
done

# --- Self-contained executables: only DLLs every Windows has, never the MinGW runtime.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|shlwapi|comctl32|comdlg32|ws2_32|mswsock|iphlpapi|bcrypt|ntdll|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
for exe in zelnor-scenario.exe scenario-tool.exe; do
  dlls=$("$OBJDUMP" -p "$package/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  grep -qix 'kernel32.dll' <<< "$dlls" || fail "$exe: no import of KERNEL32.dll found (objdump: $dlls)"
  while IFS= read -r dll; do
    [ -z "$dll" ] && continue
    grep -qiE "$system_dlls" <<< "$dll" ||
      fail "$exe needs $dll, which a bare Windows does not have: link it statically"
  done <<< "$dlls"
done

# --- The program, run from the unpacked folder with another current directory, against the
# Linux program in a directory of its own.
mkdir -p "$work/linux" "$work/elsewhere"
cp "$SCENARIO_LINUX_PROGRAM" "$work/linux/"
(cd "$work/linux" && env -u DISPLAY ./zelnor-scenario) || stop "the Linux program failed"
status=0
(cd "$work/elsewhere" && "$WINE" "$package/zelnor-scenario.exe") || status=$?
[ "$status" -eq 0 ] || fail "zelnor-scenario.exe ended with status $status"
[ -z "$(ls -A "$work/elsewhere")" ] ||
  fail "zelnor-scenario.exe wrote into the current directory: $(ls -A "$work/elsewhere")"

linux_files=$(cd "$work/linux" && ls | grep -vx 'zelnor-scenario' | LC_ALL=C sort)
windows_files=$(cd "$package" && ls | grep -vxF "$package_entries" | LC_ALL=C sort)
[ "$(wc -l <<< "$linux_files")" -eq 6 ] || stop "the Linux program left $linux_files"
if [ "$linux_files" != "$windows_files" ]; then
  fail "the program in the package left other files than the Linux program"
  diff <(echo "$linux_files") <(echo "$windows_files") || true
fi
while IFS= read -r name; do
  cmp -s "$work/linux/$name" "$package/$name" || fail "differs between Linux and Windows: $name"
done <<< "$linux_files"

# --- The guide: Windows-1252 and CR LF, the repository's text with the version filled in, and
# it names every file a run writes.
guide="$package/LEGGIMI.txt"
lines=$(wc -l < "$guide")
[ "$lines" -gt 0 ] || fail "the guide is empty"
[ "$(tr -cd '\r' < "$guide" | wc -c)" -eq "$lines" ] && [ "$(grep -c $'\r$' "$guide")" -eq "$lines" ] ||
  fail "the guide's lines do not all end with CR LF"
guide_text=$(iconv -f WINDOWS-1252 -t UTF-8 "$guide" | tr -d '\r') || fail "the guide is not Windows-1252"
[ "$guide_text" = "$(sed "s/@PROJECT_VERSION@/$version/" "$source_dir/package/LEGGIMI.txt")" ] ||
  fail "the guide in the ZIP is not package/LEGGIMI.txt in Windows-1252"
while IFS= read -r name; do
  grep -qF "$name" <<< "$guide_text" || fail "the guide does not name $name"
done < <(printf '%s\n' "$linux_files" "${line_name}_linea.txt" "${line_name}_$train_code-.txt")

# --- The Notepad++ files: well-formed XML, one language of each kind per text, named after it
# (Notepad++ finds an auto-completion file by the language's name), and the guide says how to
# install them.
for language in scenario-linea scenario-treno; do
  python3 - "$package/notepad++" "$language" <<'PYTHON' || fail "the Notepad++ files of $language are not right"
import sys
import xml.etree.ElementTree as ElementTree

folder, language = sys.argv[1], sys.argv[2]
problems = []
try:
    udl = ElementTree.parse(f"{folder}/userDefineLangs/{language}.xml").getroot()
    completion = ElementTree.parse(f"{folder}/autoCompletion/{language}.xml").getroot()
except ElementTree.ParseError as error:
    print(f"not well-formed XML: {error}")
    sys.exit(1)
languages = [lang.get("name") for lang in udl.findall("UserLang")]
if languages != [language]:
    problems.append(f"the user-defined language is {languages}")
lists = {k.get("name"): (k.text or "") for k in udl.iter("Keywords")}
if not lists.get("Keywords1", "").strip():
    problems.append("the user-defined language has no keywords")
if "[generale]" not in lists.get("Folders in code1, open", ""):
    problems.append("no section folds")
functions = [k for k in completion.iter("KeyWord") if k.get("func") == "yes"]
if not functions or any(not k.findall("Overload/Param") for k in functions):
    problems.append("the auto-completion file offers no record with its values")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
PYTHON
done
for word in userDefineLangs autoCompletion scenario-linea scenario-treno; do
  grep -qF "$word" <<< "$guide_text" || fail "the guide does not name $word"
done

# --- The tool in the package: its usage, and compiles beside the Linux tool's. Both run with
# relative paths from one directory, so their reports differ only in CR LF and "\".
same_report() {
  diff <(tr -d '\r' < "$1" | tr '\\' '/') <(cat "$2")
}
"$WINE" "$package/scenario-tool.exe" help > "$work/help.windows" || fail "scenario-tool.exe help failed"
"$SCENARIO_LINUX_TOOL" help > "$work/help.linux"
grep -q '^uso: scenario-tool' "$work/help.linux" || stop "the Linux tool printed no usage"
same_report "$work/help.windows" "$work/help.linux" || fail "scenario-tool.exe help prints another usage"

golden="$source_dir/tests/golden/descriptions"
# name of the case | what its texts are | exit status of both tools
compile_cases="sound|the program's own texts|0
fault|a signal record written twice|1"
while IFS='|' read -r case_name what expected_status; do
  texts="testi $case_name ò"
  for side in windows linux; do
    mkdir -p "$work/$side-tool/$texts" "$work/$side-tool/uscita $case_name"
    cp "$golden/linea.txt" "$work/$side-tool/$texts/${line_name}_linea.txt"
    if [ "$case_name" = sound ]; then
      cp "$golden/treno.txt" "$work/$side-tool/$texts/${line_name}_$train_code-.txt"
    else
      awk '{ print } /^segnale/ && !twice { print; twice = 1 }' "$golden/treno.txt" \
        > "$work/$side-tool/$texts/${line_name}_$train_code-.txt"
    fi
  done
  cp -r "$work/windows-tool/$texts" "$work/texts-before"

  status=0
  (cd "$work/windows-tool" && "$WINE" "$package/scenario-tool.exe" compile "$texts" \
     --line "$line_name" --train "$train_code" --out "uscita $case_name") \
    > "$work/out.windows" 2>&1 || status=$?
  linux_status=0
  (cd "$work/linux-tool" && "$SCENARIO_LINUX_TOOL" compile "$texts" \
     --line "$line_name" --train "$train_code" --out "uscita $case_name") \
    > "$work/out.linux" 2>&1 || linux_status=$?

  [ "$status" -eq "$expected_status" ] ||
    fail "compile ($what): scenario-tool.exe ended with $status, not $expected_status"
  [ "$linux_status" -eq "$expected_status" ] ||
    fail "compile ($what): the Linux tool ended with $linux_status, not $expected_status"
  same_report "$work/out.windows" "$work/out.linux" ||
    fail "compile ($what): scenario-tool.exe reports otherwise than the Linux tool"
  if [ "$expected_status" -ne 0 ]; then
    grep -q 'errore 16: .* è già occupata' "$work/out.linux" ||
      fail "compile ($what): no fault reported: $(cat "$work/out.linux")"
  fi
  diff -r "$work/texts-before" "$work/windows-tool/$texts" >/dev/null ||
    fail "compile ($what): scenario-tool.exe changed the author's texts"
  rm -rf "$work/texts-before"

  windows_out="$work/windows-tool/uscita $case_name"
  linux_out="$work/linux-tool/uscita $case_name"
  binary_files=$(grep -E '\.(dat|sim)$' <<< "$linux_files")
  while IFS= read -r name; do
    [ -f "$windows_out/$name" ] || { fail "compile ($what): scenario-tool.exe wrote no $name"; continue; }
    cmp -s "$windows_out/$name" "$linux_out/$name" ||
      fail "compile ($what): $name differs between the Windows and the Linux tool"
    if [ "$case_name" = sound ]; then
      cmp -s "$windows_out/$name" "$package/$name" ||
        fail "compile ($what): $name differs from the program's own"
    fi
  done <<< "$binary_files"
done <<< "$compile_cases"

if [ "$failures" -ne 0 ]; then
  echo "windows package: $failures failed"
  exit 1
fi
echo "windows package: $top.zip passed"
