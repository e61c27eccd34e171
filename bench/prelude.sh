# What the command-line benchmarks share, sourced from the root of the checkout:
#   bench_needs TOOL...    stops with a hint when a tool is missing
#   bench_cli              a Release varnel-cli in build-bench; sets CLI
#   bench_workdir NAME     a work folder under $TMPDIR, removed on exit; sets W
bench_needs() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool (sh scripts/setup.sh)" >&2; exit 1; }
  done
}

bench_cli() {
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF \
    -DVARNEL_BENCH=ON -DVARNEL_FUZZ=OFF >/dev/null
  cmake --build build-bench --target varnel-cli >/dev/null
  CLI=$(pwd)/build-bench/src/cli/varnel-cli
}

bench_workdir() {
  W=$(mktemp -d "${TMPDIR:-/tmp}/varnel-$1.XXXXXX")
  trap 'rm -rf "$W"' EXIT INT TERM
}
