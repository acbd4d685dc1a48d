#!/bin/sh
# Runs neovim_test.lua in a headless Neovim against the real "scriba --lsp" and fails unless
# every check passed. Skipped (exit 77) only where Neovim is not installed.
# Usage: neovim.sh SCRIBA SCRATCH-FOLDER
scriba=$1
folder=$2/neovim-lsp
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v nvim >/dev/null 2>&1; then
  echo "SKIPPED: nvim is not installed (tools/deps.sh installs Debian's neovim)"
  exit 77
fi
rm -rf "$folder" && mkdir -p "$folder" || exit 1
result=$folder/result.txt
SCRIBA_LSP_EXECUTABLE=$scriba SCRIBA_LSP_FOLDER=$folder SCRIBA_LSP_RESULT=$result \
  timeout 120 nvim --headless -u NONE -i NONE -n -c "luafile $here/neovim_test.lua" >"$folder/nvim.log" 2>&1
status=$?
cat "$result" 2>/dev/null
if [ $status -ne 0 ]; then
  echo "FAIL: nvim exited with status $status"; cat "$folder/nvim.log"; exit 1
fi
grep -q '^done$' "$result" || { echo "FAIL: the test script did not finish"; cat "$folder/nvim.log"; exit 1; }
if grep -q '^FAIL' "$result"; then exit 1; fi
exit 0
