#!/bin/sh
# A script that is one line of 128 MB (a sparse file) is exported with the address space
# limited to 200 MB: the page is written as the line is read, never held whole.
scriba=$1
folder=$2
script="$folder/long-line.lua"
truncate -s 128M "$script" || { echo "cannot make a sparse file here: skipped"; exit 77; }
(ulimit -v 200000; "$scriba" --export-html "$script" -o -; echo $? > "$script.status") | tail -c 8 > "$script.end"
status=$(cat "$script.status")
ending=$(cat "$script.end")
rm -f "$script" "$script.status" "$script.end"
echo "status $status, page ends in $ending"
[ "$status" -eq 0 ] && [ "$ending" = "</html>" ]
