#!/usr/bin/env bash
# Configures (once) and builds Scriba in build/; later runs rebuild only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SCRIBA_BUILD_DIR:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" "$@"
