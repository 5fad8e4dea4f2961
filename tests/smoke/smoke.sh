#!/usr/bin/env bash
# smoke.sh PROGRAM OUTDIR -- run inside an X server (xvfb-run).
# Starts the program, waits for the main window, opens "Datei öffnen.." from
# the menu, leaves the dialog with Escape and ends with "Beenden". Saves
# main.png and open.png in OUTDIR.
set -u
program=$1
out=$2
mkdir -p "$out"
# The window tests run offscreen; this one needs the real X screen.
export QT_QPA_PLATFORM=xcb
cd "$(dirname "$program")"
"$program" &
pid=$!
fail() {
  echo "smoke: $*" >&2
  kill "$pid" 2>/dev/null
  exit 1
}

main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tambril$' | head -1)
[ -n "$main" ] || fail "the main window did not appear"
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
dialog=$(timeout 15 xdotool search --sync --onlyvisible --name '^ Datei öffnen$' | head -1)
[ -n "$dialog" ] || fail "the file dialog did not open"
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
