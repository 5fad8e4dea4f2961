#!/usr/bin/env bash
# Times tambril-cli on many files against cp, in one run on one disk:
#   a tree of FILES small files:  cp -r + sync, encode -r + sync, decode -r + sync
#   BIG files of BIG_MIB each:     cp + sync, encode + sync
# and prints each time against its cp + sync.
#
#   bench/codec/many.sh [FILES] [BIG] [BIG_MIB]      (defaults: 10000 8 256)
#
# The small files have 4 KiB each, 100 to a folder. Files go to a temporary
# folder under $BENCH_DIR (default: the build folder); the program is
# $BUILD_DIR/bin/tambril-cli.
set -euo pipefail
cd "$(dirname "$0")/../.."
files=${1:-10000}
big=${2:-8}
big_mib=${3:-256}
build=${BUILD_DIR:-build}
cli=$(realpath "$build/bin/tambril-cli")
[ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 2; }

work=$(realpath "$(mktemp -d "${BENCH_DIR:-$build}/tambril-many.XXXXXX")")
trap 'rm -rf "$work"' EXIT
cd "$work"
password=Bench-Kennwort

echo "making $files files of 4 KiB and $big files of $big_mib MiB in $work ..."
mkdir -p tree big
head -c $((files * 4096)) /dev/urandom > all.bin
for ((i = 0; i < files; i++)); do
  d=tree/d$((i / 100)); [ -d "$d" ] || mkdir "$d"
  dd if=all.bin of="$d/f$i.dat" bs=4096 skip=$i count=1 status=none
done
rm all.bin
for ((i = 0; i < big; i++)); do head -c $((big_mib << 20)) /dev/urandom > "big/b$i.dat"; done
sync
cat tree/*/* big/* > /dev/null

now() { date +%s.%N; }
timed() {  # COMMAND...: runs it, then sync; prints seconds
  local t0 t1
  t0=$(now); "$@" > /dev/null; sync; t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f", b - a}'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

t_cp=$(timed cp -r tree copy)
t_enc=$(timed "$cli" encode --password-stdin --quiet -r tree <<< "$password")
for d in tree/d*; do mkdir -p "coded/${d#tree/}"; mv "$d"/*.tmb "coded/${d#tree/}/"; done; sync
t_dec=$(timed "$cli" decode --password-stdin --quiet -r coded <<< "$password")
n_dec=$(find coded -name '*.dat' | wc -l)
cmp <(cat tree/d0/f0.dat) <(cat coded/d0/f0.dat) || { echo "decoded file differs" >&2; exit 1; }
echo "$files files of 4 KiB:"
echo "  cp -r + sync        $t_cp s"
echo "  encode -r + sync    $t_enc s   $(ratio "$t_enc" "$t_cp") x"
echo "  decode -r + sync    $t_dec s   $(ratio "$t_dec" "$t_cp") x   ($n_dec decoded)"

rm -rf copy; sync
t_cpb=$(timed cp -r big bigcopy)
t_encb=$(timed "$cli" encode --password-stdin --quiet big/*.dat <<< "$password")
echo "$big files of $big_mib MiB:"
echo "  cp + sync           $t_cpb s"
echo "  encode + sync       $t_encb s   $(ratio "$t_encb" "$t_cpb") x"
echo "goals: small files at most 1.5x cp -r + sync, large files at most 1.25x cp + sync"
