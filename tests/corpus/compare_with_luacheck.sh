#!/usr/bin/env bash
# Compares the check's warnings with luacheck's on real Lua 5.1 code from Debian packages.
# Both read the same .luacheckrc; each (file, line, code) either side reports is counted, and
# every one that only one side reports must be listed, with its reason, in
# expected-differences.txt beside this script.
#
# Usage: compare_with_luacheck.sh SCRIBA [EXPECTED-DIFFERENCES]
# Exit 77 (skipped) when luacheck or the corpus is not installed.
set -euo pipefail

scriba=$1
here=$(cd "$(dirname "$0")" && pwd)
expected=${2:-$here/expected-differences.txt}
packages=(lua-penlight luarocks lua-check)
codes='111 112 113 143 211 212 213 231 311 411 421 431 511 531 532 541 542'

command -v luacheck >/dev/null || { echo "luacheck is not installed: skipped"; exit 77; }
command -v luac5.1 >/dev/null || { echo "luac5.1 is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus: the packages' Lua files that Lua 5.1 itself compiles, copied so that one
# configuration file lies above them all.
mkdir -p "$work/corpus"
count=0
while IFS= read -r file; do
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  luac5.1 -p "$file" 2>/dev/null || continue
  relative=${file#/usr/share/lua/5.1/}
  mkdir -p "$work/corpus/$(dirname "$relative")"
  cp "$file" "$work/corpus/$relative"
  count=$((count + 1))
done < <(dpkg -L "${packages[@]}" 2>/dev/null | grep '^/usr/share/lua/5.1/.*\.lua$' | sort)
[ "$count" -gt 0 ] || { echo "the corpus packages (${packages[*]}) are not installed: skipped"; exit 77; }

# The same options on both sides: Lua 5.1 with its compatibility functions, Tarn's names as
# globals, globals the file sets count as defined, names starting with "_" may go unused.
{
  echo 'std = "lua51c"'
  echo 'allow_defined = true'
  echo 'unused_args = true'
  echo 'max_line_length = false'
  echo 'ignore = {"21[123]/_.*"}'
  printf 'globals = {'
  sed -n 's/^function \([A-Za-z_][A-Za-z0-9_]*\)(.*/"\1",/p' "$here/../../src/res/tarn.d.lua" | tr -d '\n'
  echo '}'
} > "$work/corpus/.luacheckrc"

cd "$work/corpus"
files=$(find . -name '*.lua' | sed 's|^\./||' | sort)

start=$(date +%s%N)
# luacheck exits 1 when it warns and 2 on errors; only 3 and more mean it failed.
luacheck --config .luacheckrc --codes --formatter plain --no-color --no-cache $files > "$work/luacheck.out" || [ $? -lt 3 ]
middle=$(date +%s%N)
"$scriba" --check $files > "$work/scriba.out" || [ $? -lt 2 ]
end=$(date +%s%N)

keep() { # FILE:LINE:CODE lines of the codes compared
  for code in $codes; do echo "$code"; done > "$work/codes"
  awk -F: 'NR == FNR { wanted[$1] = 1; next } ($3 in wanted) { print $1 ":" $2 ":" $3 }' "$work/codes" - | sort -u
}
sed -n 's/^\([^:]*\):\([0-9]*\):[0-9]*: (W\([0-9]*\)).*/\1:\2:\3/p' "$work/luacheck.out" | keep > "$work/oracle"
sed -n 's/^\([^:]*\):\([0-9]*\):[0-9]*: warning: .* \[W\([0-9]*\)\]$/\1:\2:\3/p' "$work/scriba.out" | keep > "$work/ours"

comm -23 "$work/oracle" "$work/ours" | sed 's/^/missing /' > "$work/missing"
comm -13 "$work/oracle" "$work/ours" | sed 's/^/extra /' > "$work/extra"
oracle=$(wc -l < "$work/oracle")
missing=$(wc -l < "$work/missing")
extra=$(wc -l < "$work/extra")

echo "corpus: $count files; luacheck $(( (middle - start) / 1000000 )) ms, scriba --check $(( (end - middle) / 1000000 )) ms"
printf '%-6s %8s %8s %8s %8s\n' code luacheck scriba missing extra
for code in $codes; do
  printf '%-6s %8d %8d %8d %8d\n' "W$code" \
    "$(grep -c ":$code\$" "$work/oracle" || true)" "$(grep -c ":$code\$" "$work/ours" || true)" \
    "$(grep -c ":$code\$" "$work/missing" || true)" "$(grep -c ":$code\$" "$work/extra" || true)"
done
echo "all    $oracle luacheck, $missing missing, $extra extra"

status=0
# At least 98 % of luacheck's found, at most 2 % more than it reports.
if [ $((missing * 100)) -gt $((oracle * 2)) ]; then
  echo "FAIL: more than 2 % of luacheck's warnings are missing"; status=1
fi
if [ $((extra * 100)) -gt $((oracle * 2)) ]; then
  echo "FAIL: more than 2 % of the warnings are not luacheck's"; status=1
fi
# Every difference must be explained.
grep -v '^\s*#' "$expected" 2>/dev/null | awk 'NF >= 2 { print $1 " " $2 }' | sort -u > "$work/explained" || true
cat "$work/missing" "$work/extra" | sort > "$work/differences"
unexplained=$(comm -23 "$work/differences" "$work/explained")
if [ -n "$unexplained" ]; then
  echo "FAIL: differences not listed in $(basename "$expected"):"
  echo "$unexplained" | while read -r kind key; do
    file=${key%%:*}; rest=${key#*:}; line=${rest%%:*}
    echo "  $kind $key    $(sed -n "${line}p" "$file" | cut -c1-100)"
  done
  status=1
fi
stale=$(comm -13 "$work/differences" "$work/explained")
[ -z "$stale" ] || { echo "note: listed differences that no longer occur:"; echo "$stale" | sed 's/^/  /'; }
exit $status
