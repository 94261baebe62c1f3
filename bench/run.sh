#!/bin/sh
# Builds the optimised preset and runs the benchmarks: the storage readers, the pending queue,
# one save, the nightly backup and the completed list (a few minutes, most of it spent
# generating the 1M-order folders). Extra arguments go to every benchmark program, for example --max_orders=100000.
set -eu
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
BENCHES="quillmark-bench quillmark-queue-bench quillmark-save-bench quillmark-note-bench
  quillmark-archive-bench quillmark-backup-bench quillmark-statement-bench quillmark-close-bench
  quillmark-completed-bench"
# shellcheck disable=SC2086 # the list is split on purpose
cmake --build --preset release --target quillmark-lock-bench $BENCHES
for bench in $BENCHES; do
  echo "== $bench"
  build/release/bench/$bench --benchmark_min_time=0.2 "$@"
done
echo "== quillmark-lock-bench"
build/release/bench/quillmark-lock-bench
