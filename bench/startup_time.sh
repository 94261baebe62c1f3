#!/bin/sh
# Start-up to a shown window with every list loaded, over repeated runs of the optimised build on
# the demo data (offscreen, so no display is needed). Usage: bench/startup_time.sh [RUNS]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-10}
cmake --preset release >/dev/null
cmake --build --preset release --target quillmark quillmark-generate >/dev/null
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
build/release/bench/quillmark-generate "$folder/data/" 40 30 200 --seed 7 >/dev/null
i=0
while [ "$i" -lt "$runs" ]; do
  start=$(date +%s%N)
  QT_QPA_PLATFORM=offscreen QUILLMARK_PROGRAM_FOLDER="$folder" QUILLMARK_VENDOR_URL= \
    QUILLMARK_STARTUP_PROBE=1 build/release/src/app/quillmark | tr '\n' ' '
  end=$(date +%s%N)
  echo "(process $(( (end - start) / 1000000 )) ms from exec to exit)"
  i=$((i + 1))
done
