#!/usr/bin/env bash
# bus_test.sh PROGRAM -- the program as a screen reader sees it, through the
# real accessibility bus.
#
# Starts a virtual X screen, a session bus and the accessibility bus of its
# own, then the program with a file named on its command line, and lets
# bus_test.py drive it over AT-SPI: it opens the encode dialog, finds the
# password box by its name, reads the file back out of the viewer and ends
# the program through "Beenden". The program must then end by itself with
# exit code 0. Every process started here is ended on the way out.
#
# Waits poll against generous deadlines, so a loaded machine only makes the
# test slower. A missing tool is a failure under CI (CI set) and a skip
# (exit code 77) elsewhere.
set -u
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# pyatspi is a Debian package: it lives in the system's Python, whatever
# python3 comes first on the PATH.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher

missing() {
  if [ -n "${CI:-}" ]; then
    echo "bus test: FAILED: $1 is missing (scripts/install-deps installs it)" >&2
    exit 1
  fi
  echo "bus test: skipped: $1 is missing (scripts/install-deps installs it)"
  exit 77
}
command -v Xvfb >/dev/null || missing "Xvfb (package xvfb)"
command -v dbus-daemon >/dev/null || missing "dbus-daemon (package dbus)"
command -v dbus-send >/dev/null || missing "dbus-send (package dbus)"
[ -x "$launcher" ] || missing "$launcher (package at-spi2-core)"
"$python" -c 'import pyatspi' 2>/dev/null || missing "pyatspi for $python (package python3-pyatspi)"

# Never the buses of a desktop this may run on.
unset AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
work=$(mktemp -d)
# The buses' sockets and the program's runtime files stay in here.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
program_pid=""
# Every process below this script, deepest first: the buses start helpers
# of their own (the registry, the accessibility bus's daemon).
descendants() {
  local child
  for child in $(pgrep -P "$1"); do
    descendants "$child"
    echo "$child"
  done
}
alive() {
  local p
  for p in "$@"; do kill -0 "$p" 2>/dev/null && return 0; done
  return 1
}
cleanup() {
  # Taken before anything ends, while the helpers are still below us.
  local all
  all=$(descendants $$)
  # The program first, then the accessibility bus, the session bus, X.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    alive "${pids[i]}" || continue
    kill -TERM "${pids[i]}" 2>/dev/null
    for _ in $(seq 50); do alive "${pids[i]}" || break; sleep 0.1; done
  done
  # shellcheck disable=SC2086
  kill -TERM $all 2>/dev/null
  for _ in $(seq 50); do alive $all || break; sleep 0.1; done
  # shellcheck disable=SC2086
  kill -KILL $all 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "bus test: interrupted" >&2; exit 1' INT TERM HUP

fail() {
  echo "bus test: FAILED: $*" >&2
  exit 1
}

# Polls `condition` (a command) every 0.1 s for up to `seconds`.
wait_for() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
has_content() { [ -s "$1" ]; }

# The X server picks a free display itself and writes its number, so tests
# running side by side never fight over one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 60 has_content "$work/display" || fail "the X server did not start: $(tail -3 "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

dbus-daemon --session --nofork --print-address=4 4>"$work/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_for 60 has_content "$work/bus" || fail "the session bus did not start: $(tail -3 "$work/dbus.log")"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS

# The accessibility bus; its registry is started on it when first asked.
"$launcher" --launch-immediately --a11y=1 >"$work/launcher.log" 2>&1 &
pids+=($!)
a11y_bus_ready() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null |
    grep -q 'string "unix:'
}
wait_for 60 a11y_bus_ready || fail "the accessibility bus did not start: $(tail -3 "$work/launcher.log")"

# The file to read back: 8-bit text with umlauts, a euro sign, a NUL and CR LF, as
# a Windows editor would have saved it.
file="$work/notiz.txt"
printf 'Einkaufsliste f\xfcr M\xfcller\r\nGr\xfc\xdfe, 5 \x80\r\n\tEnde.\0\r\n' >"$file"

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
(cd "$work" && exec "$program" "$file") >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

# In the background, so that a signal to this script is taken at once.
"$python" "$here/bus_test.py" "$program_pid" "$file" &
pids+=($!)
wait $! || {
  echo "--- program output:" >&2
  tail -20 "$work/program.log" >&2
  fail "see above"
}

# "Beenden" was chosen: the program ends by itself, cleanly.
ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_for 60 ended || fail "the program did not end after \"Beenden\""
wait "$program_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "the program ended with exit code $rc: $(tail -5 "$work/program.log")"
[ ! -e "$work/notiz.tmb" ] || fail "a file was encoded although the dialog was cancelled"
echo "bus test: passed"
