#!/usr/bin/env bash
# Times tambril-cli against cp on one large file, in one run on one disk:
#   cp + sync, tambril-cli encode + sync, tambril-cli decode + sync
# and prints each time against cp + sync, and the CLI's peak memory.
#
#   bench/codec/compare.sh [SIZE_MIB] [ROUNDS]
#
# SIZE_MIB defaults to 1024, ROUNDS (median taken) to 3. The files go to a
# temporary folder under $BENCH_DIR (default: the build folder, on disk, not
# a RAM file system); the program is $BUILD_DIR/bin/tambril-cli (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-1024}
rounds=${2:-3}
build=${BUILD_DIR:-build}
cli=$(realpath "$build/bin/tambril-cli")
[ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing: run scripts/install-deps" >&2; exit 2; }

work=$(mktemp -d "${BENCH_DIR:-$build}/tambril-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
password=Bench-Kennwort

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
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
peak_kib() { awk -F': ' '/Maximum resident set size/ {print $2}' "$1"; }

: > cp.times; : > enc.times; : > dec.times
peak_enc=0; peak_dec=0; peak_cp=0
for r in $(seq "$rounds"); do
  rm -f copy.bin coded.tmb decoded.bin
  sync
  run cp.mem cp plain.bin copy.bin >> cp.times
  rm -f copy.bin
  run enc.mem "$cli" encode --password-stdin plain.bin coded.tmb <<< "$password" >> enc.times
  run dec.mem "$cli" decode --password-stdin coded.tmb decoded.bin <<< "$password" >> dec.times
  cmp -s plain.bin decoded.bin || { echo "round $r: decoded file differs" >&2; exit 1; }
  peak_cp=$(( $(peak_kib cp.mem) > peak_cp ? $(peak_kib cp.mem) : peak_cp ))
  peak_enc=$(( $(peak_kib enc.mem) > peak_enc ? $(peak_kib enc.mem) : peak_enc ))
  peak_dec=$(( $(peak_kib dec.mem) > peak_dec ? $(peak_kib dec.mem) : peak_dec ))
  echo "round $r: cp+sync $(tail -1 cp.times) s, encode+sync $(tail -1 enc.times) s, decode+sync $(tail -1 dec.times) s"
done

t_cp=$(median < cp.times); t_enc=$(median < enc.times); t_dec=$(median < dec.times)
echo
echo "file: ${size_mib} MiB, median of ${rounds} rounds"
printf '%-16s %8.2f s  %5.2fx   peak %6d KiB\n' "cp + sync" "$t_cp" 1 "$peak_cp"
printf '%-16s %8.2f s  %5.2fx   peak %6d KiB\n' "encode + sync" "$t_enc" "$(ratio "$t_enc" "$t_cp")" "$peak_enc"
printf '%-16s %8.2f s  %5.2fx   peak %6d KiB\n' "decode + sync" "$t_dec" "$(ratio "$t_dec" "$t_cp")" "$peak_dec"
echo "goals: encode and decode at most 1.25x cp + sync; peak memory at most 32768 KiB"
