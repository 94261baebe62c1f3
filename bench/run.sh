#!/bin/sh
# Builds the optimised preset and runs the storage benchmarks (about two minutes, most of it
# spent generating the 1M-order folders). Extra arguments go to quillmark-bench, for example
# --benchmark_filter=Parse or --max_orders=100000.
set -eu
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target quillmark-bench
exec build/release/bench/quillmark-bench --benchmark_min_time=0.2 "$@"
