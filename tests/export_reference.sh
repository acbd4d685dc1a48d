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
# Never over the reference being read, under its name, through a link or as standard output:
# its pages of functions the table lacks would be lost.
printf -- '--- Written by hand.\nfunction tg_mine() end\n' >> "$folder/program/Tarn.d.lua"
cp "$folder/program/Tarn.d.lua" "$folder/kept.d.lua" && ln -s program/Tarn.d.lua "$folder/link.d.lua" || exit 1
for target in "$folder/program/Tarn.d.lua" "$folder/link.d.lua"; do
    if "$folder/program/scriba" --export-reference "$target" 2> "$folder/messages"; then
        echo "the export was written over the reference in use as $target"; exit 1
    fi
    grep -q "the reference in use" "$folder/messages" || { cat "$folder/messages"; echo "no word of why"; exit 1; }
done
if "$folder/program/scriba" --export-reference - >> "$folder/program/Tarn.d.lua" 2> "$folder/messages"; then
    echo "the export was written into the reference in use"; exit 1
fi
cmp "$folder/kept.d.lua" "$folder/program/Tarn.d.lua" || { echo "the reference in use was changed"; exit 1; }
echo "exported, compiled and read back unchanged; never written over the reference in use"
