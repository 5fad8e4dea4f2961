#!/usr/bin/env bash
# Times tambril-cli against cp on one large file, in one run on one disk:
#   cp + sync, tambril-cli encode + sync, tambril-cli decode + sync
# and prints each time against cp + sync, and the CLI's peak memory.
#
#   bench/codec/compare.sh [SIZE_MIB] [ROUNDS]
#
# SIZE_MIB defaults to 1024, ROUNDS to 5, after one untimed warm-up round;
# the median and the fastest round are shown. The files go to a
# temporary folder under $BENCH_DIR (default: the build folder, on disk, not
# a RAM file system); the program is $BUILD_DIR/bin/tambril-cli (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-1024}
rounds=${2:-5}
. bench/codec/common.sh
bench_setup bench

echo "making a ${size_mib} MiB file in $work ..."
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > plain.bin
sync
cat plain.bin > /dev/null   # into the page cache: every pass reads from memory

now() { date +%s.%N; }
# run NAME MEMFILE COMMAND...: runs the command then sync, prints seconds.
run() {
  local mem=$1; shift
  local t0 t1
  t0=$(now)
  /usr/bin/time -v -o "$mem" "$@"
  sync
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f\n", b - a}'
}
fastest() { sort -g | head -1; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
peak_kib() { awk -F': ' '/Maximum resident set size/ {print $2}' "$1"; }

: > cp.times; : > enc.times; : > dec.times
peak_enc=0; peak_dec=0; peak_cp=0
for r in $(seq 0 "$rounds"); do
  # Each output is removed just before it is made again, so that every
  # command finds the same amount of freshly freed memory for its pages.
  rm -f copy.bin; sync
  run cp.mem cp plain.bin copy.bin >> cp.times
  rm -f coded.tmb; sync
  run enc.mem "$cli" encode --password-stdin -o coded.tmb plain.bin <<< "$password" >> enc.times
  rm -f decoded.bin; sync
  run dec.mem "$cli" decode --password-stdin -o decoded.bin coded.tmb <<< "$password" >> dec.times
  cmp -s plain.bin decoded.bin || { echo "round $r: decoded file differs" >&2; exit 1; }
  peak_cp=$(( $(peak_kib cp.mem) > peak_cp ? $(peak_kib cp.mem) : peak_cp ))
  peak_enc=$(( $(peak_kib enc.mem) > peak_enc ? $(peak_kib enc.mem) : peak_enc ))
  peak_dec=$(( $(peak_kib dec.mem) > peak_dec ? $(peak_kib dec.mem) : peak_dec ))
  if [ "$r" = 0 ]; then : > cp.times; : > enc.times; : > dec.times; echo "warm-up round done"; continue; fi
  echo "round $r: cp+sync $(tail -1 cp.times) s, encode+sync $(tail -1 enc.times) s, decode+sync $(tail -1 dec.times) s"
done

echo
echo "file: ${size_mib} MiB, ${rounds} rounds       median    ratio    fastest   ratio   peak memory"
line() {  # NAME TIMES-FILE PEAK
  local m f
  m=$(median < "$2"); f=$(fastest < "$2")
  printf '%-16s %8.2f s  %6.2fx  %8.2f s  %5.2fx  %7d KiB\n' "$1" "$m" "$(ratio "$m" "$cp_m")" "$f" "$(ratio "$f" "$cp_f")" "$3"
}
cp_m=$(median < cp.times); cp_f=$(fastest < cp.times)
line "cp + sync" cp.times "$peak_cp"
line "encode + sync" enc.times "$peak_enc"
line "decode + sync" dec.times "$peak_dec"
echo "goals: encode and decode at most 1.25x cp + sync; peak memory at most 32768 KiB"
