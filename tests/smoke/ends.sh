#!/usr/bin/env bash
# ends.sh PROGRAM WM_CLOSE -- run inside an X server (xvfb-run).
# The other two ways out of the real program: the main window's close box
# (the window manager's close request, sent by WM_CLOSE) and termination by
# a signal while the splash is still shown. Each must end the program
# cleanly (exit code 0) and soon.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wait_windows.sh"
program=$1
wm_close=$2
export QT_QPA_PLATFORM=xcb
cd "$(dirname "$program")"
pid=""
fail() {
  echo "ends: $*" >&2
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  exit 1
}
# Waits up to 10 s for the program to end and checks its exit code.
expect_end() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "$1: the program did not end"
  wait "$pid"
  local rc=$?
  [ "$rc" -eq 0 ] || fail "$1: the program ended with $rc"
  echo "ends: $1 ok"
  pid=""
}

"$program" &
pid=$!
main=$(wait_visible '^Tambril$')
[ -n "$main" ] || fail "the main window did not appear"
"$wm_close" "$main" || fail "could not send the close request"
expect_end "close box"

"$program" &
pid=$!
[ -n "$(wait_visible '^Tambril 1.1$')" ] || fail "the splash did not appear"
kill -TERM "$pid"
expect_end "SIGTERM during the splash"
