#!/bin/sh
# Runs neovim_test.lua in a headless Neovim against the tool's language server:
#   run_neovim_test.sh TOOL WORK
# A missing nvim skips the test (status 77), except in CI (CI=true), where it fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v nvim >/dev/null 2>&1; then
  echo "nvim is not installed (Debian's neovim package)"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
mkdir -p "$2"
# The server runs in the scenario folder: the tool by its absolute path.
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export SCENARIO_TOOL="$tool" SCENARIO_EDITOR_WORK="$2" SCENARIO_NEOVIM_TEST="$here/neovim_test.lua"
# No configuration, no shada, no swap files; the script's own guard ends a hung run at 60 s,
# timeout a Neovim that no longer runs its timers.
exec timeout 120 nvim --headless -u NONE -i NONE -n \
  -c 'lua dofile(os.getenv("SCENARIO_NEOVIM_TEST"))' </dev/null
