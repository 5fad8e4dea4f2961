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
trap 'wineserver -k 2> /dev/null || true; rm -rf "$WINEPREFIX"' EXIT
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
