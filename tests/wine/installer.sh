#!/usr/bin/env bash
# installer.sh INSTALLER.exe WINE_RUN -- the Windows installer under Wine, in
# a prefix of its own that is made anew: a silent install puts both programs
# and the sounds into the programs folder, a start-menu entry and the .tmb
# file type opened by tambril.exe; the silent uninstall takes all of that
# away again.
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
# The registry reaches its file when the Wine session ends.
registry() {
  wineserver -w
  cat "$WINEPREFIX/system.reg"
}
key() { printf '[Software\\\\Classes\\\\%s]' "$1"; }

"$wine_run" "$installer" /S
wineserver -w
for f in tambril.exe tambril-cli.exe Ton1.ts2 Ton2.ts2 Ton3.ts2 Uninstall.exe; do
  [ -f "$folder/$f" ] || fail "not installed: $f ($(ls "$folder" 2> /dev/null | tr '\n' ' '))"
done
[ -f "$menu/Tambril.lnk" ] || fail "no start-menu entry: $(ls "$menu" 2> /dev/null)"
reg=$(registry)
grep -qF -A2 "$(key .tmb)" <<< "$reg" || fail "no .tmb file type"
grep -F -A2 "$(key .tmb)" <<< "$reg" | grep -qF '@="Tambril.Datei"' || fail ".tmb is not Tambril.Datei"
open_line=$(grep -F -A2 "$(key 'Tambril.Datei\\shell\\open\\command')" <<< "$reg" | grep '^@=' || true)
[ "$open_line" = '@="\"C:\\Program Files\\Tambril\\tambril.exe\" \"%1\""' ] || fail "opened by: $open_line"
grep -F -A2 "$(key 'Tambril.Datei\\DefaultIcon')" <<< "$reg" | grep -qF 'tambril.exe,-2' || fail "no icon for .tmb"
# The installed command line runs.
"$wine_run" "$folder/tambril-cli.exe" --version | grep -q '^tambril-cli ' || fail "the installed tambril-cli does not run"

"$wine_run" "$folder/Uninstall.exe" /S
wineserver -w
[ ! -e "$folder" ] || fail "left behind: $(ls "$folder")"
[ ! -e "$menu" ] || fail "start-menu entry left behind"
reg=$(registry)
! grep -qF "$(key .tmb)" <<< "$reg" || fail ".tmb file type left behind"
! grep -qF "$(key Tambril.Datei)" <<< "$reg" || fail "Tambril.Datei left behind"
echo "installed, registered and removed again"
