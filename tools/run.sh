#!/usr/bin/env bash
# Installs what is missing, builds and starts Scriba: tools/run.sh [file.lua]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh" --target scriba
exec "${SCRIBA_BUILD_DIR:-$root/build}/src/scriba" "$@"
