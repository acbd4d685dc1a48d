#!/bin/sh
# "scriba --check -" reads standard input up to the largest script, like a file: endless input
# under a memory limit gives "too large" and status 2, never an abort.
scriba=$1
message=$( (ulimit -v 800000; "$scriba" --check - < /dev/zero) 2>&1 )
status=$?
echo "$message"
[ "$status" -eq 2 ] && echo "$message" | grep -q "too large"
