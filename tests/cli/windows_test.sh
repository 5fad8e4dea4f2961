#!/usr/bin/env bash
# tambril-cli.exe under Wine beside the Linux tambril-cli, on the same files:
#   windows_test.sh LINUX_CLI WINDOWS_CLI.exe EMULATOR...
# Each case says what it checks; the first that fails ends the script.
set -euo pipefail
linux=$1 windows=$2
shift 2
emulator=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/tambril-cli-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8 LANG= LC_MESSAGES=

win() { "${emulator[@]}" "$windows" "$@"; }
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# Runs a command with the password on standard input; its status in $rc,
# its standard error in $err.
run() {
  local password=$1
  shift
  rc=0
  err=$(printf '%s\n' "$password" | "$@" 2>&1 > "$work/stdout") || rc=$?
}
no_hidden() { ! find "$1" -name '.tmb-*' | grep -q .; }

# Encoded on Linux, decoded on Windows and the other way round, byte for
# byte; both encode the same bytes. Names with umlauts, ß and an emoji.
name='Grüße äöü ß 😀.bin'
head -c $((1024 * 1024 + 5)) /dev/urandom > "$name"
mkdir lin win
cp "$name" lin/ && cp "$name" win/
run Kennwort1 "$linux" encode --password-stdin "lin/$name"
[ "$rc" = 0 ] || fail "Linux encode: $err"
run Kennwort1 win encode --password-stdin "win/$name"
[ "$rc" = 0 ] || fail "Windows encode: $err"
cmp "lin/$name.tmb" "win/$name.tmb" || fail "the two systems encode different bytes"
run Kennwort1 win decode --password-stdin -o "win/from-linux.bin" "lin/$name.tmb"
[ "$rc" = 0 ] && cmp "$name" win/from-linux.bin || fail "Linux -> Windows: $err"
run Kennwort1 "$linux" decode --password-stdin -o "lin/from-windows.bin" "win/$name.tmb"
[ "$rc" = 0 ] && cmp "$name" lin/from-windows.bin || fail "Windows -> Linux: $err"
run Kennwort1 win check --password-stdin "lin/$name.tmb"
[ "$rc" = 0 ] && [ "$(cat stdout)" = bin ] || fail "check prints the tag: $(cat stdout) $err"

# show prints the same bytes on both: Windows-1252 text and RTF as UTF-8.
printf 'Gr\xfc\xdfe\r\nZeile \x80\n' > plain.txt
printf '{\\rtf1\\ansi\\ansicpg1252 Gr\\'"'"'fc\\'"'"'dfe\\par {\\pict 0102}Zeile}' > text.rtf
for file in plain.txt text.rtf; do
  "$linux" show "$file" > "linux-$file.out"
  win show "$file" > "windows-$file.out"
  cmp "linux-$file.out" "windows-$file.out" || fail "show $file differs"
  grep -q 'Grüße' "linux-$file.out" || fail "show $file: $(cat "linux-$file.out")"
done

# The same exit status as on Linux, nothing written: a wrong password (1),
# a target that exists (3, the target untouched), a missing file (3), a
# folder as input (3), a password the rules refuse (2).
same_status() {
  local password=$1
  shift
  run "$password" "$linux" "$@"
  local expected=$rc
  run "$password" win "$@"
  [ "$rc" = "$expected" ] || fail "$*: status $rc on Windows, $expected on Linux ($err)"
  [ "$rc" != 0 ] || fail "$* succeeded"
  [ -n "$err" ] || fail "$*: no message"
}
cp "win/$name.tmb" before.tmb
same_status Falsch99 decode --password-stdin "lin/$name.tmb"
[ "$rc" = 1 ] || fail "a wrong password exits $rc, not 1"
same_status Kennwort1 encode --password-stdin "win/$name"
same_status Kennwort1 decode --password-stdin missing.tmb
same_status Kennwort1 encode --password-stdin -o lin.tmb lin
same_status kurz encode --password-stdin -o new.tmb "$name"
cmp before.tmb "win/$name.tmb" || fail "an existing target was overwritten"
[ ! -e new.tmb ] && [ ! -e lin.tmb ] || fail "a refused pass left a file"
no_hidden . || fail "a hidden unfinished file was left"

# A path far beyond 260 characters.
long=$(printf 'Verzeichnis-mit-einem-recht-langen-Namen-%s' {1..4})
deep="$long/$long/$long"
mkdir -p "$deep"
cp "$name" "$deep/x.bin"
run Kennwort1 win encode --password-stdin "$deep/x.bin"
[ "$rc" = 0 ] || fail "long path: $err"
mv "$deep/x.bin" "$deep/orig.bin"
run Kennwort1 win decode --password-stdin "$deep/x.bin.tmb"
[ "$rc" = 0 ] && cmp "$deep/orig.bin" "$deep/x.bin" || fail "long path decode: status $rc: $err"

# Names ending in a dot or a space, beside the names Windows' own path
# rules would make of them: each file is coded as itself, in a tree and
# one by one, and comes back with its own bytes.
mkdir odd
printf dot > 'odd/x.' && printf 'plain x' > odd/x && printf space > 'odd/y ' && printf 'plain y' > odd/y
cp -a odd odd.orig
run Kennwort1 win encode -r --password-stdin odd
[ "$rc" = 0 ] || fail "encode -r of odd names: $err"
grep -qx 'odd.x. -> odd.x..tmb' stdout || fail "encode -r of odd names: $(cat stdout)"
find odd -type f ! -name '*.tmb' -delete
run Kennwort1 win decode -r --password-stdin odd
[ "$rc" = 0 ] || fail "decode -r of odd names: $err"
find odd -name '*.tmb' -delete
# A decoded name cannot end in a dot or a space on Windows: "_" stands for it.
[ "$(cat odd/x_)" = dot ] && [ "$(cat odd/y_)" = space ] && cmp odd.orig/x odd/x && cmp odd.orig/y odd/y ||
  fail "odd names: $(ls -A odd)"
rm odd/x_ odd/y_
cp -a 'odd.orig/x.' 'odd.orig/y ' odd/
for name in 'x.' 'y '; do
  run Kennwort1 win encode --password-stdin "odd/$name"
  [ "$rc" = 0 ] || fail "encode '$name': $err"
  rm "odd/$name"
  run Kennwort1 win decode --password-stdin "odd/$name.tmb"
  [ "$rc" = 0 ] && cmp "odd.orig/$name" "odd/${name%?}_" || fail "'$name' single: status $rc: $err"
done
[ "$(find odd -type f | wc -l)" = 6 ] && cmp odd.orig/x odd/x && cmp odd.orig/y odd/y || fail "odd names: $(ls -A odd)"

# Decoded names Windows can hold: what a stored tag or a name brings that
# Windows forbids, keeps for devices or drops at a name's end becomes "_";
# -o naming a device or a stream of a file is refused, nothing made.
mkdir names
for source in 'w<|>' 'v:\a' NUL 'w2.b. '; do
  printf '%s' "$source" > "names/$source"
  run Kennwort1 "$linux" encode --password-stdin "names/$source"
  [ "$rc" = 0 ] || fail "Linux encode of '$source': $err"
  rm "names/$source"
done
mv 'names/w<|>.tmb' names/w.tmb
mv 'names/v:\a.tmb' names/v.tmb
run Kennwort1 win decode -r --password-stdin names
[ "$rc" = 0 ] || fail "decode of names Windows cannot hold: $err"
for made in w.___ v.__a NUL_ w2.b__; do
  [ -f "names/$made" ] || fail "no names/$made: $(ls -A names)"
done
[ "$(cat names/NUL_)" = NUL ] || fail "NUL_ holds $(cat names/NUL_)"
for target in NUL com1.txt 'names/a.txt:x'; do
  run Kennwort1 win decode --password-stdin -o "$target" names/w.tmb
  [ "$rc" = 2 ] && [[ "$err" == *device* ]] || fail "-o $target: status $rc: $err"
done
[ "$(ls -A names | wc -l)" = 8 ] || fail "a refused -o made a file: $(ls -A names)"

# -r with jobs over a small tree: encoded on Windows, decoded on Linux, and
# the other way round; every file comes back.
mkdir -p tree/a/b tree/c tree/leer
printf eins > tree/a/1.txt
head -c 300000 /dev/urandom > tree/a/b/2.bin
: > 'tree/c/drei ß.txt'
for way in "win|$linux" "$linux|win"; do
  encoder=${way%|*} decoder=${way#*|}
  rm -rf copy && cp -r tree copy
  run Kennwort1 $encoder encode -r -j 2 --password-stdin copy
  [ "$rc" = 0 ] || fail "$encoder encode -r: $err"
  [ "$(find copy -name '*.tmb' | wc -l)" = 3 ] || fail "$encoder encode -r: $(find copy)"
  find copy -type f ! -name '*.tmb' -delete
  run Kennwort1 $decoder decode -r -j 2 --password-stdin copy
  [ "$rc" = 0 ] || fail "$decoder decode -r: $err"
  find copy -name '*.tmb' -delete
  diff -r tree copy || fail "$encoder -> $decoder: the tree differs"
done

# age files: written on Windows and opened on Linux, the other way round,
# and one written by the Linux age program (binary and armored) opened on
# Windows; a wrong password exits 1 and a changed byte 3 on both, writing
# nothing.
ages=$(dirname "$0")/../age
mkdir agef
head -c 200007 /dev/urandom > agef/plain.bin
pass='Kennwort äöü'
run "$pass" win encode --age --password-stdin -o agef/win.age agef/plain.bin
[ "$rc" = 0 ] || fail "Windows encode --age: $err"
run "$pass" "$linux" decode --password-stdin -o agef/from-win.bin agef/win.age
[ "$rc" = 0 ] && cmp agef/plain.bin agef/from-win.bin || fail "age Windows -> Linux: $err"
run "$pass" "$linux" encode --age --password-stdin agef/plain.bin
[ "$rc" = 0 ] || fail "Linux encode --age: $err"
mv agef/plain.bin agef/orig.bin
run "$pass" win decode --password-stdin agef/plain.bin.age
[ "$rc" = 0 ] && cmp agef/orig.bin agef/plain.bin || fail "age Linux -> Windows: $err"
if command -v age > /dev/null && command -v python3 > /dev/null; then
  for armor in "" -a; do
    python3 "$ages/age_pty.py" "$pass" age -p $armor -o "agef/prog$armor.age" agef/orig.bin > /dev/null ||
      fail "the age program cannot encrypt"
    run "$pass" win decode --password-stdin -o "agef/prog$armor.bin" "agef/prog$armor.age"
    [ "$rc" = 0 ] && cmp agef/orig.bin "agef/prog$armor.bin" || fail "age program $armor -> Windows: $err"
  done
  age_program=", the age program's"
else
  echo "no age program or Python: the file it writes is not tried" >&2
fi
same_status Anders12 decode --password-stdin -o agef/wrong.bin agef/win.age
[ "$rc" = 1 ] || fail "age: a wrong password exits $rc, not 1"
cp agef/win.age agef/changed.age
# One bit flipped: a byte set to a fixed value may have held it already.
byte=$(od -An -tu1 -j100000 -N1 agef/changed.age)
printf "\\$(printf '%03o' $((byte ^ 1)))" | dd of=agef/changed.age bs=1 seek=100000 conv=notrunc 2> /dev/null
same_status "$pass" decode --password-stdin -o agef/changed.bin agef/changed.age
[ "$rc" = 3 ] && grep -q 'damaged or was changed' <<< "$err" || fail "age: a changed byte: status $rc: $err"
[ ! -e agef/wrong.bin ] && [ ! -e agef/changed.bin ] || fail "age: a refused decode left a file"
no_hidden agef || fail "age: a hidden unfinished file was left"

# Ctrl-C during a pass (Wine turns SIGINT into the console's Ctrl-C): the
# pass stops, says so, and leaves neither the target nor a hidden file.
mkdir stop
truncate -s 2G stop/big.bin
(status=0
  printf 'Kennwort1\n' | win encode --password-stdin stop/big.bin > /dev/null 2> stop.err || status=$?
  echo $status > stop.rc) &
for _ in $(seq 1 600); do
  find stop -name '.tmb-*' | grep -q . && break
  sleep 0.1
done
find stop -name '.tmb-*' | grep -q . || fail "the pass did not start"
pkill -INT -f 'tambril-cli.exe encode --password-stdin stop/big.bin' || true
wait
grep -q interrupted stop.err || fail "no word of the interruption: $(cat stop.err)"
[ "$(cat stop.rc)" != 0 ] || fail "an interrupted pass exits 0"
[ ! -e stop/big.bin.tmb ] || fail "an interrupted pass left its target"
no_hidden stop || fail "an interrupted pass left its hidden file"

# The same in a many-file run: what is listed as done is whole, nothing
# else is left, the file being coded least of all.
mkdir stoprun
printf klein > stoprun/a.txt
truncate -s 2G stoprun/b.bin
(status=0
  printf 'Kennwort1\n' | win encode -r -j 1 --password-stdin stoprun > stoprun.out 2> stoprun.err || status=$?
  echo $status > stoprun.rc) &
for _ in $(seq 1 600); do
  [ "$(find stoprun -name '.tmb-*' | wc -l)" = 2 ] && break # a.txt's waiting for its group, b.bin's being written
  sleep 0.1
done
[ "$(find stoprun -name '.tmb-*' | wc -l)" = 2 ] || fail "the run did not start: $(ls -a stoprun)"
pkill -INT -f 'tambril-cli.exe encode -r -j 1 --password-stdin stoprun' || true
wait
grep -q interrupted stoprun.err || fail "run: no word of the interruption: $(cat stoprun.err)"
[ "$(cat stoprun.rc)" != 0 ] || fail "an interrupted run exits 0"
if grep -q 'a.txt.tmb' stoprun.out; then
  printf 'Kennwort1\n' | "$linux" decode --password-stdin -o stoprun/a.back stoprun/a.txt.tmb
  cmp stoprun/a.txt stoprun/a.back || fail "run: a file listed as done is not whole"
else
  [ ! -e stoprun/a.txt.tmb ] || fail "run: a file not listed as done was left"
fi
[ ! -e stoprun/b.bin.tmb ] || fail "an interrupted run left the target of the file it was coding"
no_hidden stoprun || fail "an interrupted run left a hidden file"
echo "tambril-cli.exe: cross-system, statuses, long names, trees, age files both ways${age_program:-}, Ctrl-C in a pass and in a run"
