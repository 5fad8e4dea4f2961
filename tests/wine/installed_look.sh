#!/usr/bin/env bash
# installed_look.sh INSTALLER.exe WINE_RUN REFERENCE_CLI OUTDIR -- run inside
# an X server (xvfb-run). The look of the installed program as its user meets
# it: installs silently into a new Wine prefix at 96 dpi, starts the
# installed tambril.exe with an encoded file, opens the password check from
# the menu, rests the mouse on its "OK" and takes a screenshot of the
# screen, in which the tooltip must be dark text on pale yellow and the
# dialog's bold caption drawn with strokes clearly wider than the tooltip's
# regular text (look_pixels.py). The screenshot is kept in OUTDIR.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../smoke/wait_windows.sh"
installer=$1 wine_run=$2 reference=$3 out=$4
mkdir -p "$out"
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tambril-look.XXXXXX")
pid= wm=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  wineserver -k 2> /dev/null || true
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  import -window root "$out/failed.png" 2> /dev/null || true
  exit 1
}
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; then
  openbox > /dev/null 2>&1 &
  wm=$!
fi

"$wine_run" --x "$installer" /S
"$wine_run" --x reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f > /dev/null
wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/Tambril"
[ -f "$folder/tambril.exe" ] || fail "not installed"
printf 'Ein Brief.\r\n' > "$WINEPREFIX/drive_c/brief.txt"
printf 'Geheim1\n' | "$reference" encode --password-stdin -o "$WINEPREFIX/drive_c/brief.tmb" "$WINEPREFIX/drive_c/brief.txt"

cd "$folder"
"$wine_run" --x "$folder/tambril.exe" 'C:\brief.tmb' > /dev/null 2>&1 &
pid=$!
main=$(wait_visible 'brief.tmb$')
[ -n "$main" ] || fail "the main window did not come"
xdotool windowactivate --sync "$main" 2> /dev/null || xdotool windowfocus --sync "$main"
sleep 0.3
# "Bearbeiten" > "Code_Aus..".
for k in F10 Right Down Return; do
  xdotool key "$k"
  sleep 0.25
done
check=$(wait_visible '^CODE_AUS$')
[ -n "$check" ] || fail "the password check did not come"
sleep 0.5
windows() { xdotool search --onlyvisible --name '' 2> /dev/null | sort; }
before=$(windows)
# The mouse comes to rest on "OK" (32, 120, 113 x 33 in the dialog).
for d in 0 1 2 3 4 5; do
  xdotool mousemove --window "$check" $((80 + d)) $((130 + d))
  sleep 0.1
done
tip=
for _ in $(seq 50); do
  tip=$(comm -13 <(echo "$before") <(windows) | head -1)
  [ -n "$tip" ] && break
  sleep 0.1
done
[ -n "$tip" ] || fail "no tooltip came over \"OK\""
sleep 0.5
import -window root "$out/tooltip.png"
# where WINDOW: its X,Y,WIDTH,HEIGHT on the screen.
where() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print x "," y "," w "," h}'
}
IFS=, read -r cx cy _ _ <<< "$(where "$check")"
IFS=, read -r tx ty tw th <<< "$(where "$tip")"
# "Kennworteingabe:" (24, 72, 105 x 17 in the dialog); the tooltip's text
# inside its frame.
python3 "$here/look_pixels.py" "$out/tooltip.png" "$tx,$ty,$tw,$th" "$((cx + 24)),$((cy + 72)),105,17" \
  "$((tx + 2)),$((ty + 2)),$((tw - 4)),$((th - 4))" || fail "the installed program's look, in $out/tooltip.png"
echo "the installed program draws its tooltips and bold captions as designed; screenshot in $out"
