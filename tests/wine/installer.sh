#!/usr/bin/env bash
# installer.sh INSTALLER.exe WINE_RUN -- the Windows installer under Wine, in
# a prefix of its own that is made anew: a silent install puts both programs,
# the sounds and LIESMICH.RTF into the programs folder, a start-menu entry, a
# desktop shortcut, the .tmb file type opened by tambril.exe and "Mit Tambril
# öffnen" for every file; the silent uninstall takes all of that away again,
# the installer's own registry keys included.
set -euo pipefail
installer=$1 wine_run=$2
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tambril-installer.XXXXXX")
trap 'kill "${reader:-}" 2> /dev/null || true; wineserver -k 2> /dev/null || true; rm -rf "$WINEPREFIX"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
folder="$WINEPREFIX/drive_c/Program Files/Tambril"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tambril"
desktop="$WINEPREFIX/drive_c/users/Public/Desktop/Tambril.lnk"
# The registry reaches its file when the Wine session ends.
registry() {
  wineserver -w
  cat "$WINEPREFIX/system.reg"
}
key() { printf '[Software\\\\Classes\\\\%s]' "$1"; }
own_key='[Software\\Tambril]'

"$wine_run" "$installer" /S
wineserver -w
for f in tambril.exe tambril-cli.exe Ton1.ts2 Ton2.ts2 Ton3.ts2 LIESMICH.RTF Uninstall.exe; do
  [ -f "$folder/$f" ] || fail "not installed: $f ($(ls "$folder" 2> /dev/null | tr '\n' ' '))"
done
[ -f "$menu/Tambril.lnk" ] || fail "no start-menu entry: $(ls "$menu" 2> /dev/null)"
[ -f "$desktop" ] || fail "no desktop shortcut"
reg=$(registry)
grep -qF -A2 "$(key .tmb)" <<< "$reg" || fail "no .tmb file type"
grep -F -A2 "$(key .tmb)" <<< "$reg" | grep -qF '@="Tambril.Datei"' || fail ".tmb is not Tambril.Datei"
open_line=$(grep -F -A2 "$(key 'Tambril.Datei\\shell\\open\\command')" <<< "$reg" | grep '^@=' || true)
[ "$open_line" = '@="\"C:\\Program Files\\Tambril\\tambril.exe\" \"%1\""' ] || fail "opened by: $open_line"
grep -F -A2 "$(key 'Tambril.Datei\\DefaultIcon')" <<< "$reg" | grep -qF 'tambril.exe,-2' || fail "no icon for .tmb"
# Explorer's context menu of any file (Wine writes the ö as \x00f6).
grep -F -A2 "$(key '*\\shell\\Tambril')" <<< "$reg" | grep -qF '@="Mit Tambril \x00f6ffnen"' ||
  fail "no \"Mit Tambril öffnen\" for any file"
any_line=$(grep -F -A2 "$(key '*\\shell\\Tambril\\command')" <<< "$reg" | grep '^@=' || true)
[ "$any_line" = "$open_line" ] || fail "any file opened by: $any_line"
# The installed command line runs.
"$wine_run" "$folder/tambril-cli.exe" --version | grep -q '^tambril-cli ' || fail "the installed tambril-cli does not run"

# While a program of the install runs (tambril-cli printing a large file
# into a pipe nobody reads), neither a new install nor the uninstaller
# changes a file, and neither ends as a success (in silent mode the
# question whether to retry is answered with Cancel). The uninstaller runs
# in place (_?=, which takes the rest of the line without quotes: given as
# two words, so that Wine does not quote it) so that its status is its own.
head -c 3000000 /dev/zero | tr '\0' 'x' > "$WINEPREFIX/drive_c/gross.txt"
mkfifo "$WINEPREFIX/pipe"
"$wine_run" "$folder/tambril-cli.exe" show 'C:\gross.txt' > "$WINEPREFIX/pipe" &
runner=$!
# The pipe's one reader is a process of its own: a Wine process that the
# installer starts (explorer.exe) would inherit a reader this shell held,
# and the pipe would then never break.
( head -c 1 > "$WINEPREFIX/started"; exec sleep 100000 ) < "$WINEPREFIX/pipe" &
reader=$!
for _ in $(seq 1 600); do
  [ -s "$WINEPREFIX/started" ] && break
  kill -0 "$reader" 2> /dev/null || break
  sleep 0.1
done
[ -s "$WINEPREFIX/started" ] || fail "tambril-cli did not start"
touch "$WINEPREFIX/before"
status=0
"$wine_run" "$installer" /S || status=$?
[ "$status" != 0 ] || fail "an install over a running program said it succeeded"
status=0
"$wine_run" "$folder/Uninstall.exe" /S '_?=C:\Program' 'Files\Tambril' || status=$?
[ "$status" != 0 ] || fail "an uninstall while the program runs said it succeeded"
for f in tambril.exe tambril-cli.exe Ton1.ts2 LIESMICH.RTF Uninstall.exe; do
  [ -f "$folder/$f" ] || fail "removed while the program ran: $f"
done
changed=$(find "$folder" -newer "$WINEPREFIX/before" | head -3)
[ -z "$changed" ] || fail "changed while the program ran: $changed"
kill "$reader"
wait "$reader" 2> /dev/null || true
wait "$runner" || true
grep -qF "$own_key" <<< "$(registry)" || fail "the installer's own key went while the program ran"

"$wine_run" "$folder/Uninstall.exe" /S
wineserver -w
[ ! -e "$folder" ] || fail "left behind: $(ls "$folder")"
[ ! -e "$menu" ] || fail "start-menu entry left behind"
[ ! -e "$desktop" ] || fail "desktop shortcut left behind"
reg=$(registry)
! grep -qF "$(key .tmb)" <<< "$reg" || fail ".tmb file type left behind"
! grep -qF "$(key Tambril.Datei)" <<< "$reg" || fail "Tambril.Datei left behind"
! grep -qF "$(key '*\\shell\\Tambril')" <<< "$reg" || fail "context menu entry left behind"
! grep -qF "$own_key" <<< "$reg" || fail "the installer's own key left behind"
! grep -qi 'tambril' <<< "$reg" || fail "left in the registry: $(grep -i tambril <<< "$reg" | head -3)"
echo "installed, registered and removed again"
