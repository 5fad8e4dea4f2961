#!/usr/bin/env bash
# smoke.sh PROGRAM OUTDIR -- run inside an X server (xvfb-run).
# Starts the program, sees the splash and then the main window at their
# times, opens "Datei öffnen.." from the menu (owned by the main window),
# leaves the dialog with Escape and ends with "Beenden". Saves splash.png, main.png and open.png in OUTDIR.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wait_windows.sh"
program=$1
out=$2
mkdir -p "$out"
# The window tests run offscreen; this one needs the real X screen.
export QT_QPA_PLATFORM=xcb
cd "$(dirname "$program")"
started=$(date +%s%N)
"$program" &
pid=$!
fail() {
  echo "smoke: $*" >&2
  kill "$pid" 2>/dev/null
  exit 1
}

# The splash comes first: centred, 550 x 257, for 6.4 s; only then the main
# window. Times are taken by polling, so they may be late by a poll or two.
now() { date +%s%N; }
splash=$(wait_visible '^Tambril 1.1$')
[ -n "$splash" ] || fail "the splash did not appear"
shown=$(now)
eval "$(xdotool getwindowgeometry --shell "$splash")"
[ "${WIDTH}x${HEIGHT}" = 550x257 ] || fail "splash is ${WIDTH}x${HEIGHT}"
[ "$X" -eq 365 ] && [ "$Y" -eq 383 ] || fail "splash not centred: ${X},${Y}"
sleep 2.8
[ -n "$(visible '^Tambril 1.1$')" ] || fail "the splash went before 3 s"
[ -z "$(visible '^Tambril$')" ] || fail "the main window came before 3 s"
import -window root "$out/splash.png" || fail "no screenshot"
main=$(wait_visible '^Tambril$')
[ -n "$main" ] || fail "the main window did not appear"
seen=$(now)
after=$(((seen - shown) / 1000000))
since_start=$(((seen - started) / 1000000))
echo "main window ${after} ms after the splash, ${since_start} ms after the start"
# Never before 6400 ms. The splash came after the start, and a poll sees
# a window only late, never early: so the time since the start is a bound
# that a busy machine cannot break.
[ "$since_start" -ge 6400 ] || fail "the main window came early: ${since_start} ms after the start"
[ "$after" -le 9000 ] || fail "the main window came late: ${after} ms"
[ -z "$(visible '^Tambril 1.1$')" ] || fail "the splash is still shown"
if command -v xprop >/dev/null; then
  xprop -id "$main" _NET_WM_ICON | grep -q 'CARDINAL' || fail "the main window has no icon"
fi
sleep 0.5  # let it paint
import -window root "$out/main.png" || fail "no screenshot"
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window ${WIDTH}x${HEIGHT} at ${X},${Y}"
[ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 250 ] || fail "main window too small: ${WIDTH}x${HEIGHT}"
# The window shows more than a blank surface.
colours=$(convert "$out/main.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -unique-colors -format '%w' info:)
[ "$colours" -ge 8 ] || fail "main window looks empty ($colours colours)"

# Menu "Datei" sits at the left end of the menu bar; its first item opens the dialog.
xdotool mousemove $((X + 20)) $((Y + 10)) sleep 0.2 click 1
sleep 0.5
xdotool key Down Return 2>/dev/null || true
dialog=$(wait_visible '^ Datei öffnen$')
[ -n "$dialog" ] || fail "the file dialog did not open"
# Owned by the main window, so that the window manager keeps it above it.
if command -v xprop >/dev/null; then
  owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
  [ "$((owner))" -eq "$main" ] || fail "the file dialog belongs to window $owner, not the main window $main"
fi
sleep 0.5
import -window root "$out/open.png"
xdotool key Escape
sleep 0.5
xdotool search --onlyvisible --name '^ Datei öffnen$' >/dev/null && fail "the file dialog did not close"

# Datei > Beenden ends the program.
xdotool mousemove $((X + 20)) $((Y + 10)) sleep 0.2 click 1
sleep 0.5
xdotool key Down Down Return
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end"
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || fail "the program ended with $rc"
echo "smoke: ok"
