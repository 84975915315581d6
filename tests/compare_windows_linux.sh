#!/usr/bin/env bash
# Runs the Linux program and the Windows program (under wine), each in a scenario directory of
# its own, and checks that they leave the same files with the same bytes.
set -euo pipefail
: "${SCENARIO_LINUX_PROGRAM:?}" "${SCENARIO_WINDOWS_PROGRAM:?}" "${WINE:?}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows"
cp "$SCENARIO_LINUX_PROGRAM" "$work/linux/"
cp "$SCENARIO_WINDOWS_PROGRAM" "$work/windows/"

(cd "$work/linux" && env -u DISPLAY ./zelnor-scenario)
(cd "$work/windows" && WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" ./zelnor-scenario.exe)

linux_files=$(cd "$work/linux" && ls | grep -v '^zelnor-scenario' | sort)
windows_files=$(cd "$work/windows" && ls | grep -v '^zelnor-scenario' | sort)
if [ "$linux_files" != "$windows_files" ]; then
  echo "The two programs left different files:"
  diff <(echo "$linux_files") <(echo "$windows_files") || true
  exit 1
fi
if [ -z "$linux_files" ]; then
  echo "The programs wrote no file."
  exit 1
fi

passed=0 failed=0
while IFS= read -r name; do
  if cmp -s "$work/linux/$name" "$work/windows/$name"; then
    passed=$((passed + 1))
  else
    echo "differs between Linux and Windows: $name"
    failed=$((failed + 1))
  fi
done <<< "$linux_files"
echo "windows-linux: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
