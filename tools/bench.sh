#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its ratios, measured in one run, as "RATIO" lines.
# A benchmark that fails prints its rows as ERROR, and this script then ends with status 1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh" --target benchmarks scriba
bench="${SCRIBA_BUILD_DIR:-$root/build}/bench"
export QT_QPA_PLATFORM=offscreen

# Peak memory of exporting a script of about 200 MB, against its size: the page is written as it
# is made, so it must not grow with the script, nor with its longest line. shape: "lines" (an
# ordinary script) or "one-line" (the same code, comments dropped, all on a single line).
export_memory() {
  local shape=$1 folder script size kilobytes
  folder=$(mktemp -d)
  script="$folder/export.lua"
  if [ "$shape" = lines ]; then
    cp "$root/tests/data/colour/tarn.lua" "$script"
  else
    sed 's/--.*$//' "$root/tests/data/colour/tarn.lua" | tr '\r\n' '  ' > "$script"
  fi
  while [ "$(stat -c %s "$script")" -lt $((200 << 20)) ]; do
    cat "$script" "$script" > "$script.twice" && mv "$script.twice" "$script"
  done
  size=$(stat -c %s "$script")
  local status=0
  /usr/bin/time -f %M -o "$folder/rss" "${SCRIBA_BUILD_DIR:-$root/build}/src/scriba" \
    --export-html "$script" -o "$folder/export.html" 2>/dev/null || status=$?
  kilobytes=$(tail -n 1 "$folder/rss")
  rm -rf "$folder"
  if [ "$status" -ne 0 ]; then
    printf 'RATIO %-60s   ERROR  (exit status %d)\n' "export peak memory / script size ($shape)" "$status"
    return 0
  fi
  awk -v kb="$kilobytes" -v size="$size" -v shape="$shape" 'BEGIN {
    ratio = kb * 1024 / size
    printf "peak memory of the export: %d KB for a script of %d MB (%s)\n", kb, size / 1048576, shape
    printf "RATIO %-60s %7.2f  (target <= %.2f) %s\n", "export peak memory / script size (" int(size / 1048576) " MB, " shape ")",
           ratio, 1.0, ratio <= 1.0 ? "ok" : "OVER"
  }'
}

for program in $(cd "$bench" && ls -- *_bench | sort); do
  echo "== $program"
  status=0
  "$bench/$program" --benchmark_color=false 2>&1 | sed "s/\x1b\[[0-9;]*m//g" |
    { grep -v -e QStandardPaths -e propagateSizeHints || true; } || status=$?
  if [ "$status" -ne 0 ]; then
    printf 'RATIO %-60s   ERROR  (exit status %d)\n' "$program" "$status"
  fi
done | tee "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"
echo "== export" | tee -a "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"
export_memory lines | tee -a "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"
export_memory one-line | tee -a "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"
echo
echo "Ratios:"
grep '^RATIO' "${SCRIBA_BUILD_DIR:-$root/build}/bench.log" | sed 's/^RATIO /  /'
if grep -q '^RATIO.* ERROR ' "${SCRIBA_BUILD_DIR:-$root/build}/bench.log"; then
  echo "Some benchmarks failed: their rows say ERROR."
  exit 1
fi
