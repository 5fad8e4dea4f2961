#!/usr/bin/env bash
# Times tambril-cli on many files against cp, in one run on one disk, in
# turns over several rounds:
#   a tree of FILES small files:  cp -r + sync, encode -r + sync, decode -r + sync
#   BIG files of BIG_MIB each:     cp + sync, encode -j 2 + sync (and its peak memory)
# and prints the median time of each, its ratio to cp + sync (the median
# over pairs of rounds, see ratios below), and its processor time. The order
# of cp and encode alternates from round to round.
#
#   bench/codec/many.sh [FILES] [BIG] [BIG_MIB] [ROUNDS]    (defaults: 10000 8 256 6)
#
# The small files have 4 KiB each, 100 to a folder. All sources are read into
# the page cache first. Files go to a temporary folder under $BENCH_DIR
# (default: the build folder); the program is $BUILD_DIR/bin/tambril-cli.
set -euo pipefail
cd "$(dirname "$0")/../.."
files=${1:-10000}
big=${2:-8}
big_mib=${3:-256}
rounds=${4:-6}
rounds=$(((rounds + 1) / 2 * 2))  # whole pairs
. bench/codec/common.sh
bench_setup many

echo "making $files files of 4 KiB and $big files of $big_mib MiB in $work ..."
mkdir -p tree big
for ((d = 0; d * 100 < files; d++)); do
  n=$((files - d * 100 < 100 ? files - d * 100 : 100))
  mkdir "tree/d$d"
  head -c $((n * 4096)) /dev/urandom | split -b 4096 -d -a 3 --additional-suffix=.dat - "tree/d$d/f"
done
for ((i = 0; i < big; i++)); do head -c $((big_mib << 20)) /dev/urandom > "big/b$i.dat"; done
sync
cat tree/*/* big/* > /dev/null

# timed NAME COMMAND...: runs it, then sync; appends its seconds to NAME.t
# and its processor time (user + system) to NAME.cpu.
timed() {
  local name=$1 t0 t1; shift
  t0=$(date +%s.%N)
  /usr/bin/time -f '%U %S' -o "$name.time" "$@" > /dev/null
  sync
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f\n", b - a}' >> "$name.t"
  awk '{printf "%.2f\n", $1 + $2}' "$name.time" >> "$name.cpu"
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
# Whichever of two commands runs second in a round is slower on this disk
# (the first has filled the disk's write cache), so rounds go in pairs with
# the order swapped: the ratio of each pair's sums, then their median; a
# change of the disk's load between pairs cancels out too.
ratios() {
  paste "$1" "$2" | awk '{a += $1; b += $2} NR % 2 == 0 {printf "%.3f\n", a / b; a = b = 0}' | median |
    awk '{printf "%.2f", $1}'
}

rm -f ./*.t ./*.cpu
peak=0
for ((r = 1; r <= rounds; r++)); do
  # Small files. Nothing is deleted until the run ends: creating files right
  # after many were deleted costs the file system far more than otherwise
  # (it passes over the freed inodes), which would depend on the order of
  # the steps rather than on the programs. Each round encodes a fresh copy
  # of the tree, made untimed, so that encode writes beside files just made,
  # as cp -r writes into folders just made.
  cp -r tree "src$r"; sync
  if ((r % 2)); then
    timed cp cp -r tree "copy$r"
    timed enc "$cli" encode --password-stdin --quiet -r "src$r" <<< "$password"
  else
    timed enc "$cli" encode --password-stdin --quiet -r "src$r" <<< "$password"
    timed cp cp -r tree "copy$r"
  fi
  # The encoded files move to a tree of their own, where decode -r finds
  # the names of their plain files free.
  for d in "src$r"/d*; do mkdir -p "coded$r/${d#src$r/}"; mv "$d"/*.tmb "coded$r/${d#src$r/}/"; done; sync
  timed dec "$cli" decode --password-stdin --quiet -r "coded$r" <<< "$password"
  n_dec=$(find "coded$r" -name '*.dat' | wc -l)
  [ "$n_dec" = "$files" ] || { echo "round $r: $n_dec of $files files decoded" >&2; exit 1; }
  cmp tree/d0/f000.dat "coded$r/d0/f000.dat" || { echo "round $r: decoded file differs" >&2; exit 1; }

  # Large files: few inodes, so they are removed between the steps.
  rm -rf bigcopy big/*.tmb; sync
  if ((r % 2)); then
    timed cpb cp -r big bigcopy
    timed encb /usr/bin/time -v -o encb.mem "$cli" encode --password-stdin --quiet -j 2 big/*.dat <<< "$password"
  else
    timed encb /usr/bin/time -v -o encb.mem "$cli" encode --password-stdin --quiet -j 2 big/*.dat <<< "$password"
    timed cpb cp -r big bigcopy
  fi
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' encb.mem)
  peak=$((kib > peak ? kib : peak))
  rm -rf bigcopy big/*.tmb
  echo "round $r: small: cp -r $(tail -1 cp.t) s, encode -r $(tail -1 enc.t) s, decode -r $(tail -1 dec.t) s;" \
       "large: cp $(tail -1 cpb.t) s, encode -j 2 $(tail -1 encb.t) s (each + sync)"
done

line() {  # NAME WHAT BASE: median time, median of the rounds' ratios to BASE, median processor time
  printf '  %-20s %7.2f s   %5s x   cpu %5.2f s\n' "$2" "$(median < "$1.t")" \
    "$( [ "$1" = "$3" ] && echo 1.00 || ratios "$1.t" "$3.t")" "$(median < "$1.cpu")"
}
echo
echo "median of $rounds rounds: time, ratio to cp + sync (median over pairs of rounds), processor time"
echo "$files files of 4 KiB:"
line cp "cp -r + sync" cp
line enc "encode -r + sync" cp
line dec "decode -r + sync" cp
echo "$big files of $big_mib MiB:"
line cpb "cp + sync" cpb
line encb "encode -j 2 + sync" cpb
echo "  peak memory of encode -j 2: $peak KiB"
echo "goals: small files at most 1.5 x cp -r + sync, large files at most 1.25 x cp + sync, peak memory at most 65536 KiB (32 MiB a job)"
