#!/bin/sh
# "scriba --export-html a.lua -o - >> a.lua" would read its own page back as script until the
# disk is full: it must be refused with status 1, leaving the script as it was. The file size
# limit stops a page that loops anyway.
scriba=$1
folder=$2
script="$folder/into-itself.lua"
printf 'local x = 1 -- a script\nprint(x)\n' > "$script"
cp "$script" "$script.before"
message=$( (ulimit -f 2000; "$scriba" --export-html "$script" -o - >> "$script") 2>&1 )
status=$?
cmp -s "$script" "$script.before"
same=$?
rm -f "$script" "$script.before"
echo "$message"
[ "$status" -eq 1 ] && [ "$same" -eq 0 ] && echo "$message" | grep -q "the script itself"
