#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its ratios, measured in one run, as "RATIO" lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh" --target benchmarks
bench="${SCRIBA_BUILD_DIR:-$root/build}/bench"
export QT_QPA_PLATFORM=offscreen
for program in $(cd "$bench" && ls -- *_bench | sort); do
  echo "== $program"
  "$bench/$program" --benchmark_color=false 2>&1 | sed "s/\x1b\[[0-9;]*m//g" | grep -v -e QStandardPaths -e propagateSizeHints
done | tee "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"
echo
echo "Ratios:"
grep '^RATIO' "${SCRIBA_BUILD_DIR:-$root/build}/bench.log" | sed 's/^RATIO /  /'
