#!/usr/bin/env bash
# chain.sh OUTDIR REFERENCE_CLI PATHS FORMAT PROGRAM [ARGUMENT...]
# Run inside an X server (xvfb-run); starts openbox as the window manager
# when there is none. The program starts in the current folder. Drives the
# desktop program by keyboard and mouse, as a user would, through the whole
# chain: a file named on the command line is loaded; "Code_An.." encodes it
# through the file dialog (which stays above the main window when that is
# clicked) and the encode dialog; "Datei öffnen.." loads the
# encoded file; "Code_Aus.." checks its password (a wrong one first, which
# is refused with its message) and decodes it, the second time into a new
# folder made in the file dialog. The files on disk must be
# the bytes the reference tambril-cli makes and the original bytes again.
# Each window met must be one that cannot be resized, and a file named
# after "--" with a character outside Windows' ANSI code page must load.
# PATHS says how the program names files: "windows" (under Wine: Z:\...)
# or "posix". FORMAT "tmb" runs the chain as above; "age" names the encoded
# file ".age" in the file dialog, which must then be an age file that the
# age program decrypts, and decodes in its place one that the age program
# wrote (armored). A screenshot of each step is kept in OUTDIR.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wait_windows.sh"
out=$1 reference=$2 paths=$3 format=$4
shift 4
program=("$@")
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/tambril-chain.XXXXXX")
pid= wm=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  import -window root "$out/failed.png" 2> /dev/null || true
  exit 1
}
# A path as the program names it; Wine's drive Z: is the root folder.
native() {
  if [ "$paths" = windows ]; then
    local p=${1//\//\\}
    echo "Z:$p"
  else
    echo "$1"
  fi
}
shot() { sleep 0.7 && import -window root "$out/$1.png"; }
# keys KEY...: one key at a time, with time for the program to answer.
keys() {
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.25
  done
}
type_text() { xdotool type --delay 40 "$1"; }
# expect TITLE: waits for the window and gives it the keyboard.
expect() {
  local id
  id=$(wait_visible "$1")
  [ -n "$id" ] || fail "no window \"$1\" came; open: $(xdotool search --onlyvisible --name . getwindowname %@ 2> /dev/null | tr '\n' '|')"
  xdotool windowactivate --sync "$id" 2> /dev/null || xdotool windowfocus --sync "$id"
  sleep 0.3
  echo "$id"
}
gone() {
  for _ in $(seq 100); do
    [ -z "$(visible "$1")" ] && return 0
    sleep 0.1
  done
  fail "the window \"$1\" stayed"
}

# above WINDOW OTHER: whether the window manager stacks WINDOW above OTHER.
above() {
  local w i=0 a=-1 b=-1
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'); do
    [ "$((w))" -eq "$1" ] && a=$i
    [ "$((w))" -eq "$2" ] && b=$i
    i=$((i + 1))
  done
  [ "$b" -ge 0 ] && [ "$a" -gt "$b" ]
}

# fixed WINDOW: whether the window manager is told that WINDOW cannot be
# resized (its least and greatest size the same), so that it draws no resize
# handle along its bottom edge, which looks like a control cut off there.
fixed() {
  local hints min max
  hints=$(xprop -id "$1" WM_NORMAL_HINTS)
  min=$(sed -n 's/.*minimum size: //p' <<< "$hints")
  max=$(sed -n 's/.*maximum size: //p' <<< "$hints")
  [ -n "$min" ] && [ "$min" = "$max" ] || fail "the window $(xdotool getwindowname "$1") can be resized: $hints"
}

# Giving a window the keyboard needs a window manager.
if command -v openbox > /dev/null && ! xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; then
  openbox > /dev/null 2>&1 &
  wm=$!
  sleep 1
fi

# A name with umlauts, in a folder with a space and a character beyond
# the basic plane (UTF-16 needs two units for it on Windows).
folder="$work/Briefe ä 😀"
mkdir "$folder" "$folder/Alt"
source="$folder/Grüße.doc"
head -c 300007 /dev/urandom > "$source"
cp "$source" "$work/original"
if [ "$format" = tmb ]; then
  printf 'Geheim1\n' | "$reference" encode --password-stdin -o "$work/reference.tmb" "$source"
fi
# age PASSPHRASE ARGUMENT...: runs the age program, which reads a
# passphrase only from a terminal, typing PASSPHRASE at each prompt.
age_typed() {
  python3 - "$@" << 'PTY'
import os, pty, sys
passphrase = sys.argv[1].encode()
pid, fd = pty.fork()
if pid == 0:
    os.execvp("age", ["age"] + sys.argv[2:])
said = b""
while True:
    try:
        data = os.read(fd, 1024)
    except OSError:
        break
    if not data:
        break
    said += data
    if said.rstrip().endswith(b":"):
        os.write(fd, passphrase + b"\n")
        said = b""
_, status = os.waitpid(pid, 0)
sys.exit(os.waitstatus_to_exitcode(status))
PTY
}

"${program[@]}" "$(native "$source")" > "$work/program.log" 2>&1 &
pid=$!
expect '^Tambril 1.1$' > /dev/null
shot splash
main=$(expect 'Grüße.doc$')
shot main
fixed "$main"
# "?" > "Info" and its "OK".
keys F10 Left Down Return
fixed "$(expect '^INFO$')"
shot info
keys Return
gone '^INFO$'
xdotool windowactivate --sync "$main" 2> /dev/null || true

# The file dialog's buttons, in pixels of its layout below its menu bar.
click_button() {
  local x
  case $2 in
    ÖFFNEN) x=72 ;;
    ERSTELLEN) x=196 ;;
  esac
  xdotool mousemove --window "$1" "$x" 321 click 1
}

# Encode: "Bearbeiten" > "Code_An..", then "ERSTELLEN" in the file dialog,
# then the password twice and "OK".
keys F10 Right Return
dialog=$(expect '^ Datei erstellen$')
shot create
fixed "$dialog"
# A click on the main window's title bar leaves the dialog above it: the
# dialog is owned by the main window (WM_TRANSIENT_FOR, which Wine sets for
# an owned window).
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y - 8)) click 1
sleep 0.7
above "$dialog" "$main" || fail "the file dialog went behind the main window"
owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
[ -n "$owner" ] && [ "$((owner))" -eq "$main" ] || fail "the file dialog belongs to window '$owner', not the main window $main"
xdotool windowactivate --sync "$dialog" 2> /dev/null || xdotool windowfocus --sync "$dialog"
sleep 0.3
if [ "$format" = age ]; then
  # The proposal ends in "tmb": the name box, at its end, made "doc.age".
  xdotool mousemove --window "$dialog" 300 239 click 1
  keys End BackSpace BackSpace BackSpace
  type_text doc.age
  shot create-age
  encoded="$folder/Grüße.doc.age"
else
  encoded="$folder/Grüße.tmb"
fi
click_button "$dialog" ERSTELLEN
gone '^ Datei erstellen$'
fixed "$(expect '^CODE_ON$')"
type_text Geheim1
keys Tab
type_text Geheim1
shot encode
keys Tab space
gone '^CODE_ON$'
if [ "$format" = age ]; then
  [ -f "$encoded" ] || fail "no encoded file: $(ls "$folder")"
  age_typed Geheim1 -d -o "$work/by-age" "$encoded" > /dev/null || fail "the age program cannot decrypt the file"
  cmp "$work/by-age" "$work/original" || fail "the age program decrypts the file to other bytes"
  # The age program's own file, armored, takes its place.
  rm "$encoded"
  age_typed Geheim1 -p -a -o "$encoded" "$source" > /dev/null || fail "the age program cannot encrypt"
  loaded='Grüße.doc.age$'
else
  [ -f "$encoded" ] || fail "no encoded file: $(ls "$folder")"
  cmp "$encoded" "$work/reference.tmb" || fail "the encoded file differs from the reference"
  loaded='Grüße.tmb$'
fi

# Open the encoded file: "Datei" > "Datei öffnen..", a click into the empty
# lower part of the file list (in pixels of the dialog's layout), its second file (Grüße.tmb or
# Grüße.doc.age after Grüße.doc)
# and "ÖFFNEN".
xdotool windowactivate --sync "$main" 2> /dev/null || true
keys F10 Down Return
dialog=$(expect '^ Datei öffnen$')
xdotool mousemove --window "$dialog" 376 200 click 1
sleep 0.3
keys Home Down
shot open
click_button "$dialog" ÖFFNEN
gone '^ Datei öffnen$'
expect "$loaded" > /dev/null
shot loaded
# The original goes aside, so that decoding makes it anew.
mv "$source" "$work/moved.doc"

# Decode: "Bearbeiten" > "Code_Aus..", the password check (a wrong password
# first: the message, and the dialog asks again with the focus in the box),
# "ERSTELLEN", and the decode dialog left with "ABBRECHEN".
keys F10 Right Down Return
check=$(expect '^CODE_AUS$')
fixed "$check"
type_text Geheim2
keys Tab space
expect '^ERROR$' > /dev/null
shot wrong
keys Return
gone '^ERROR$'
[ -n "$(visible '^CODE_AUS$')" ] || fail "a wrong password closed the check"
xdotool windowactivate --sync "$check" 2> /dev/null || true
# The focus is back in the emptied password box.
type_text Geheim1
shot check
keys Tab space
gone '^CODE_AUS$'
dialog=$(expect '^ Datei erstellen$')
click_button "$dialog" ERSTELLEN
gone '^ Datei erstellen$'
fixed "$(expect '^CODE_AN$')"
shot decode
keys Tab Tab space
gone '^CODE_AN$'
[ ! -e "$source" ] || fail "decoded though cancelled"

# Each dialog starts in its first box when it is shown again, never on the
# button pressed the time before: the password check in its box (OK was
# pressed), the file dialog in its folder list (a space on ERSTELLEN, pressed
# before, would go on to the decode dialog), the decode dialog in its name
# box (Tab and Enter press OK there, HILFE from ABBRECHEN).
xdotool windowactivate --sync "$main" 2> /dev/null || true
keys F10 Right Down Return
expect '^CODE_AUS$' > /dev/null
type_text Geheim1
keys Tab space
gone '^CODE_AUS$'
dialog=$(expect '^ Datei erstellen$')
keys space
sleep 1
[ -z "$(visible '^CODE_AN$')" ] || fail "the file dialog started on ERSTELLEN"
# A new folder in the file dialog ("Ordner" > "Neuer Ordner.."): a name
# that is taken is refused and the focus is back in the emptied box; "Neu."
# is made under that one name, and the file dialog goes into it.
keys F10 Down Return
expect '^Orner hinzufügen$' > /dev/null
type_text Alt
keys Tab space
expect '^WARNUNG$' > /dev/null
keys Return
gone '^WARNUNG$'
type_text Neu.
shot new-folder
keys Tab space
gone '^Orner hinzufügen$'
[ -d "$folder/Neu." ] || fail "no folder Neu.: $(ls "$folder")"
click_button "$dialog" ERSTELLEN
gone '^ Datei erstellen$'
expect '^CODE_AN$' > /dev/null
keys Tab Return
gone '^CODE_AN$'
decoded="$folder/Neu./$(basename "$source")"
[ -f "$decoded" ] || fail "nothing decoded into Neu.: $(ls "$folder" "$folder/Neu.")"
cmp "$decoded" "$work/original" || fail "the decoded file differs from the original"

# "Datei" > "Beenden" ends the program.
quit() {
  keys F10 Down Down Return
  for _ in $(seq 150); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
  done
  ! kill -0 "$pid" 2> /dev/null || fail "the program did not end"
  wait "$pid" || fail "the program ended with status $?"
  pid=
}
quit

# A file named after "--" whose name holds a character that Windows' ANSI
# code page lacks loads as it is named.
omega="$work/Ωmega.txt"
printf 'Omega\n' > "$omega"
"${program[@]}" -- "$(native "$omega")" > "$work/program.log" 2>&1 &
pid=$!
expect 'Ωmega.txt$' > /dev/null
shot omega
quit
echo "encoded, checked and decoded through the windows; screenshots in $out"
