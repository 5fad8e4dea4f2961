#!/usr/bin/env bash
# age files: tambril-cli beside the age program, in one run, on the same
# files: encoding and decoding SIZES (MiB) with a password (work factor 18
# on both sides), wall time and peak memory (/usr/bin/time -v); then
# `encode -r --age -j 2` of 100 small files and the CPU it got. The load
# average is printed with the figures: other work on the machine counts.
# tambril-cli flushes every file it writes to disk before it says done; the
# age program leaves its file to the system's cache. What the disk itself
# takes for the same bytes, written and flushed by dd, is printed beside
# them as the floor no flushing program can go below.
#   usage: bench/age/compare.sh [TAMBRIL_CLI] [SIZES...]   (default: build/bin/tambril-cli 256 2048)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=$(realpath "${1:-$root/build/bin/tambril-cli}")
shift || true
sizes=("${@:-256 2048}")
[ $# -gt 0 ] || sizes=(256 2048)
pty=$root/tests/age/age_pty.py
pass='Kennwort fuer den Vergleich'
work=$(mktemp -d "${TMPDIR:-/var/tmp}/tambril-age-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# Runs a command under /usr/bin/time -v: "SECONDS MAX_RSS_MIB CPU%".
measure() {
  /usr/bin/time -v -o time.txt "$@" > /dev/null 2>&1 < "${stdin:-/dev/null}"
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    /Maximum resident/ { m = $2 / 1024 } /Percent of CPU/ { c = $2 }
    END { printf "%6.2f s %5.0f MiB %5s CPU", s, m, c }' time.txt
}
printf '%s\n' "$pass" > pass.txt
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for mib in "${sizes[@]}"; do
  head -c $((mib * 1024 * 1024)) /dev/urandom > plain
  sync
  echo "== $mib MiB (load $(cut -d' ' -f1 /proc/loadavg))"
  rm -f t.age a.age t.out a.out
  echo "disk    dd+fdatasync $(measure dd if=plain of=d.out bs=1M conv=fdatasync)"
  rm -f d.out
  sync
  echo "encode  tambril-cli $(stdin=pass.txt measure "$cli" encode --age --password-stdin -o t.age plain)"
  sync
  echo "encode  age         $(measure python3 "$pty" "$pass" age -p -o a.age plain)"
  sync
  echo "decode  tambril-cli $(stdin=pass.txt measure "$cli" decode --password-stdin -o t.out a.age)"
  sync
  echo "decode  age         $(measure python3 "$pty" "$pass" age -d -o a.out t.age)"
  cmp plain t.out && cmp plain a.out || { echo "a decoded file differs" >&2; exit 1; }
  rm -f plain t.age a.age t.out a.out
  sync
done

# Many small files: the key derivation is paid once per file.
mkdir small
for i in $(seq 1 100); do head -c 4096 /dev/urandom > "small/f$i"; done
sync
echo "== 100 files of 4 KiB, -j 2"
echo "encode -r --age -j 2  $(stdin=pass.txt measure "$cli" encode -r --age -j 2 --quiet --password-stdin small)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
