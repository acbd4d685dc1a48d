#!/bin/sh
# Exports a script that is one line of 3 GB (a sparse file, so it takes no disk space) with
# the address space limited to 800 MB: larger than any script can be, it must fail with "too
# large to open" and leave no page behind, instead of aborting.
scriba=$1
folder=$2
script="$folder/huge-line.lua"
page="$folder/huge-line.html"
truncate -s 3G "$script" || { echo "cannot make a sparse file here: skipped"; exit 77; }
message=$( (ulimit -v 800000; "$scriba" --export-html "$script" -o "$page") 2>&1 )
status=$?
rm -f "$script"
echo "$message"
[ "$status" -eq 1 ] && echo "$message" | grep -q "too large to open" && [ ! -e "$page" ]
