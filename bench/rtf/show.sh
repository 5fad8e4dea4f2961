#!/usr/bin/env bash
# Times `tambril-cli show` against `cat` of the same file, in one run:
#   a file of NUL bytes after an RTF header, and ordinary RTF text
#   (paragraphs of prose with formatted words, escapes, table rows and a
#   picture now and then), each printed to /dev/null,
# and prints each throughput in MB/s (10^6 bytes a second).
#
#   bench/rtf/show.sh [NUL_MIB] [TEXT_MIB] [ROUNDS]
#
# NUL_MIB defaults to 1536, TEXT_MIB to 512, ROUNDS to 3 after one untimed
# warm-up round; the median is shown. Files and program as for
# bench/codec/compare.sh ($BENCH_DIR, $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/../.."
nul_mib=${1:-1536}
text_mib=${2:-512}
rounds=${3:-3}
. bench/codec/common.sh
bench_setup show

echo "making the files in $work ..."
{ printf '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\f0\\fs20 '
  head -c "$((nul_mib * 1024 * 1024))" /dev/zero
  printf '}'; } > nul.rtf
paragraph='\pard\sa200\sl276\slmult1\qj Die {\b Fahrkarte} kostete 23 \u8364? und war {\i g\'"'"'fcnstig}, sagte der {\cf1 Schaffner} am Bahnsteig in K\'"'"'f6ln. Danach fuhr der Zug \endash  p\'"'"'fcnktlich wie immer \endash  weiter nach {\f1\fs24 Bremen}.\par'
row='\trowd\cellx2000\cellx4000\pard\intbl Stadt\cell Tage\cell\row\pard'
picture="{\\pict\\pngblip\\picw64\\pich64 $(head -c 4096 /dev/zero | tr '\0' 'a')}\\par"
for i in $(seq 0 2999); do
  printf '%s\r\n' "$paragraph"
  [ $((i % 10)) = 0 ] && printf '%s\r\n' "$row"
  [ $((i % 500)) = 0 ] && printf '%s\r\n' "$picture"
done > chunk
{ printf '{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}'
  printf '{\\colortbl;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20\r\n'
  chunk_bytes=$(stat -c %s chunk)
  for _ in $(seq 1 $((text_mib * 1024 * 1024 / chunk_bytes))); do cat chunk; done
  printf '}'; } > text.rtf
cat nul.rtf text.rtf > /dev/null   # into the page cache, if it fits

now() { date +%s.%N; }
seconds() {  # COMMAND...: runs it with its output to /dev/null, prints seconds
  local t0 t1
  t0=$(now)
  "$@" > /dev/null
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f\n", b - a}'
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

for f in nul text; do : > "$f.cat"; : > "$f.show"; done
for r in $(seq 0 "$rounds"); do
  for f in nul text; do
    seconds cat "$f.rtf" >> "$f.cat"
    seconds "$cli" show "$f.rtf" >> "$f.show"
  done
  if [ "$r" = 0 ]; then for f in nul text; do : > "$f.cat"; : > "$f.show"; done; echo "warm-up round done"; fi
done

echo
echo "file                      size      cat          show         (median of $rounds)"
for f in nul text; do
  bytes=$(stat -c %s "$f.rtf")
  c=$(median < "$f.cat"); s=$(median < "$f.show")
  awk -v n="$f.rtf" -v b="$bytes" -v c="$c" -v s="$s" \
    'BEGIN {printf "%-16s %9.0f MB  %7.0f MB/s  %7.0f MB/s  (%.2f s, %.2f s)\n", n, b / 1e6, b / 1e6 / c, b / 1e6 / s, c, s}'
done
echo "goals: show at least 500 MB/s on nul.rtf and at least 200 MB/s on text.rtf"
