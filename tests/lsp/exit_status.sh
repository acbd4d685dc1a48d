#!/bin/sh
# The language server as a program: its exit status after "exit" with and without "shutdown",
# when the input just ends, and that it answers bad input and keeps serving.
# Usage: exit_status.sh SCRIBA
scriba=$1
failed=0

frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
initialize='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
shutdown='{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
exit_='{"jsonrpc":"2.0","method":"exit"}'

expect() { # NAME EXPECTED-STATUS ACTUAL-STATUS
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: exit status $3, expected $2"
    failed=1
  else
    echo "ok: $1"
  fi
}

{ frame "$initialize"; frame "$shutdown"; frame "$exit_"; } | "$scriba" --lsp >/dev/null
expect "shutdown then exit" 0 $?
void_shutdown='{"jsonrpc":"2.0","id":2,"method":"shutdown","params":null}'
void_exit='{"jsonrpc":"2.0","method":"exit","params":null}'
{ frame "$initialize"; frame "$void_shutdown"; frame "$void_exit"; } | "$scriba" --lsp >/dev/null
expect "shutdown then exit, both with null params" 0 $?
{ frame "$initialize"; frame "$exit_"; } | "$scriba" --lsp >/dev/null
expect "exit without shutdown" 1 $?
{ frame "$initialize"; } | "$scriba" --lsp >/dev/null
expect "input ends without exit" 1 $?

out=$({ frame "$initialize"; printf 'Content-Length: 5\r\n\r\n{"id"'; printf 'garbage\r\n'; frame "$shutdown"; frame "$exit_"; } \
      | "$scriba" --lsp 2>/dev/null)
status=$?
expect "bad input, then shutdown and exit" 0 $status
case $out in
  *'"code":-32700'*'"id":2,"jsonrpc":"2.0","result":null'*) echo "ok: errors answered, shutdown still served" ;;
  *) echo "FAIL: unexpected output: $out"; failed=1 ;;
esac
# A length the server will not read is refused once; the messages after it are still served.
out=$({ frame "$initialize"; printf 'Content-Length: 1000000000000\r\n\r\n{}'; frame "$shutdown"; frame "$exit_"; } \
      | "$scriba" --lsp 2>/dev/null)
expect "refused length, then shutdown and exit" 0 $?
case $out in
  *'"code":-32600'*'"id":2,"jsonrpc":"2.0","result":null'*) echo "ok: refused length answered, shutdown still served" ;;
  *) echo "FAIL: unexpected output: $out"; failed=1 ;;
esac
exit $failed
