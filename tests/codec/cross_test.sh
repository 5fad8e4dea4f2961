#!/usr/bin/env bash
# A file encoded on one system decodes byte for byte on the other, both ways:
#   cross_test.sh HOST_TOOL WINDOWS_TOOL.exe EMULATOR...
# (tmb_tool of the Linux build, of the Windows build, and how to run the latter).
set -euo pipefail
host=$1 windows=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/tambril-cross.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((3 * 1024 * 1024 + 17)) /dev/urandom > "$work/plain.bin"
"$host" encode Kennwort "$work/plain.bin" "$work/linux.tmb"
"$@" "$windows" decode Kennwort "$work/linux.tmb" "$work/from-linux.bin"
cmp "$work/plain.bin" "$work/from-linux.bin"
"$@" "$windows" encode Kennwort "$work/plain.bin" "$work/windows.tmb"
cmp "$work/linux.tmb" "$work/windows.tmb"
"$host" decode Kennwort "$work/windows.tmb" "$work/from-windows.bin"
cmp "$work/plain.bin" "$work/from-windows.bin"
# A wrong password is refused on both sides alike.
rc=0; "$@" "$windows" decode Falsch "$work/linux.tmb" "$work/never.bin" || rc=$?
[ "$rc" = 1 ] && [ ! -e "$work/never.bin" ]
echo "cross: Linux -> Windows and Windows -> Linux byte for byte"
