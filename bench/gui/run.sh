#!/usr/bin/env bash
# Loads each case through the real windows, each in its own process.
# Usage: bench/gui/run.sh [BUILD_DIR] [MiB]
set -euo pipefail
build=${1:-build}
mib=${2:-64}
for kind in text binary rtf; do
  "$build/bin/gui_load_bench" "$kind" "$mib"
done
"$build/bin/gui_load_bench" bigpara 100
"$build/bin/gui_load_bench" pictures 16
"$build/bin/gui_load_bench" deep 1
for kind in fonts40k fonts200k emptypars; do
  "$build/bin/gui_load_bench" "$kind"
done
