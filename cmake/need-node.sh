#!/usr/bin/env bash
# node and npm, for the editors' packages and their tests. A machine that has both in any form
# keeps them: a Node.js that is not Debian's carries its own npm, which Debian's npm package
# would conflict with. Otherwise Debian's nodejs and npm are installed like any other package.
set -euo pipefail
command -v node >/dev/null && command -v npm >/dev/null && exit 0
exec "$(dirname "$0")/need-packages.sh" nodejs npm
