#!/usr/bin/env bash
# Installs the program into a temporary prefix and asks the desktop's own
# tools, looking only there, what a *.tmb file is and what opens it.
# Usage: mime_test.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# Nothing of the machine's or the user's own configuration may answer.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID XDG_MENU_PREFIX
export XDG_DATA_DIRS=$prefix/share
export XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config XDG_CONFIG_DIRS=$tmp/config-dirs
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"

update-mime-database "$prefix/share/mime"
if command -v update-desktop-database >/dev/null; then
  update-desktop-database "$prefix/share/applications"
fi

fail=0
check() {  # what, expected, actual
  if [ "$2" = "$3" ]; then echo "ok: $1 = $3"; else echo "FAIL: $1 = '$3', expected '$2'"; fail=1; fi
}
# Coded bytes, as an encoded file holds them; the name alone decides.
printf '\x8f\x03\xe1\x7a\x00\x55' >"$tmp/x.tmb"
check "type of x.tmb" application/x-tambril "$(cd "$tmp" && xdg-mime query filetype x.tmb)"
printf 'plain text\n' >"$tmp/brief.TMB"
check "type of brief.TMB" application/x-tambril "$(xdg-mime query filetype "$tmp/brief.TMB")"
check "default for the type" tambril.desktop "$(xdg-mime query default application/x-tambril)"

# The installed pieces the answers rest on.
desktop=$prefix/share/applications/tambril.desktop
check "Exec line" "Exec=tambril %f" "$(grep '^Exec=' "$desktop")"
for size in 16 48 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/mimetypes/application-x-tambril.png
  [ -s "$icon" ] || { echo "FAIL: missing $icon"; fail=1; }
done
# "Open with" offers the program for any file: every type is a kind of
# application/octet-stream.
if [ -f "$prefix/share/applications/mimeinfo.cache" ]; then
  grep -q '^application/octet-stream=.*tambril\.desktop' "$prefix/share/applications/mimeinfo.cache" ||
    { echo "FAIL: not offered for any file"; fail=1; }
fi
# The read-me the help text names lies in the folder the menu entry starts in.
check "menu entry's folder" "Path=$prefix/share/tambril" "$(grep '^Path=' "$desktop")"
[ -s "$prefix/share/tambril/LIESMICH.RTF" ] || { echo "FAIL: LIESMICH.RTF not installed"; fail=1; }
for page in tambril.1 tambril-cli.1; do
  [ -s "$prefix/share/man/man1/$page" ] || { echo "FAIL: missing manual page $page"; fail=1; }
done
exit $fail
