#!/usr/bin/env bash
# Loads a 64 MiB text file and a 64 MiB binary file through the real windows,
# each in its own process. Usage: bench/gui/run.sh [BUILD_DIR] [MiB]
set -euo pipefail
build=${1:-build}
mib=${2:-64}
for kind in text binary; do
  "$build/bin/gui_load_bench" "$kind" "$mib"
done
