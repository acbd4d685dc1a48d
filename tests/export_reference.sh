#!/bin/sh
# Exports Tarn's definition file without a display, has Lua 5.1 compile it, then reads it back:
# a copy of the program finds the file beside its own (missing) Scriba.ini as its reference and
# must export the same file again.
scriba=$1
folder=$2/export-reference
luac=$3
rm -rf "$folder" && mkdir -p "$folder/program" || exit 1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$scriba" --export-reference "$folder/tarn.d.lua" || { echo "the export failed"; exit 1; }
head -n 1 "$folder/tarn.d.lua" | grep -qx -- '---@meta' || { echo "no ---@meta line"; exit 1; }
grep -q '^function tg_addpoint(x, y) end$' "$folder/tarn.d.lua" || { echo "tg_addpoint is missing"; exit 1; }
"$luac" -p "$folder/tarn.d.lua" || { echo "luac5.1 refuses the file"; exit 1; }
cp "$scriba" "$folder/program/scriba" && cp "$folder/tarn.d.lua" "$folder/program/Tarn.d.lua" || exit 1
# The same function table as the first export.
ini="$(dirname "$scriba")/Scriba.ini"
[ ! -f "$ini" ] || cp "$ini" "$folder/program/Scriba.ini"
"$folder/program/scriba" --export-reference - > "$folder/again.d.lua" 2> "$folder/messages" || exit 1
[ ! -s "$folder/messages" ] || { cat "$folder/messages"; echo "reading it back reported problems"; exit 1; }
cmp "$folder/tarn.d.lua" "$folder/again.d.lua" || { echo "it does not read back unchanged"; exit 1; }
echo "exported, compiled and read back unchanged"
