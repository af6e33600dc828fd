#!/usr/bin/env bash
# Builds Release and runs every benchmark program; the engine-beside-SQLite table is written as
# markdown. Usage: bench/run.sh [--large] [Google Benchmark flags, e.g. --benchmark_filter=scan]
#   --large (or LORVIKA_BENCH_LARGE=1): 100,000 albums / ~1,500,000 tracks instead of 10,000.
# Generated catalogues are kept in $LORVIKA_BENCH_DIR (default: the build folder) and reused.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${LORVIKA_BENCH_BUILD:-build/bench-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVIKA_CORE_ONLY=ON \
  -DLORVIKA_WERROR=OFF >/dev/null
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\(lorvika_bench[a-z_]*\): phony$/\1/p')
# shellcheck disable=SC2086
cmake --build "$build" -j "$(nproc)" --target $targets

size=10000
for arg in "$@"; do [[ $arg == --large ]] && size=100000; done
[[ ${LORVIKA_BENCH_LARGE:-0} != 0 ]] && size=100000
# the export benchmarks take the size from the environment
[[ $size == 100000 ]] && export LORVIKA_BENCH_LARGE=1
export LORVIKA_BENCH_DIR=${LORVIKA_BENCH_DIR:-$PWD/$build/bench-data}
mkdir -p "$LORVIKA_BENCH_DIR"
table="$build/benchmarks-$size.md"
log="$build/benchmarks-$size.log"

"$build/bin/lorvika_bench" --markdown="$table" "$@" 2>&1 | tee "$log"
for program in "$build"/bin/lorvika_bench_*; do
  [[ -x $program ]] || continue
  args=()
  for arg in "$@"; do [[ $arg == --large ]] || args+=("$arg"); done
  "$program" "${args[@]}" 2>&1 | tee -a "$log"
done
echo
echo "Table: $table"
echo "Log:   $log"
