# Shared set-up of the codec benchmarks, sourced by them after `cd` to the
# project root: finds the program ($cli), checks the tools, makes a fresh
# temporary folder under $BENCH_DIR (default: the build folder) that is
# removed on exit, and changes into it. Usage: bench_setup NAME
bench_setup() {
  build=${BUILD_DIR:-build}
  cli=$(realpath "$build/bin/tambril-cli")
  [ -x "$cli" ] || { echo "no $cli: build first (cmake --build $build)" >&2; exit 2; }
  [ -x /usr/bin/time ] || { echo "/usr/bin/time missing: run scripts/install-deps" >&2; exit 2; }
  work=$(realpath "$(mktemp -d "${BENCH_DIR:-$build}/tambril-$1.XXXXXX")")
  trap 'rm -rf "$work"' EXIT
  cd "$work"
  password=Bench-Kennwort
}
