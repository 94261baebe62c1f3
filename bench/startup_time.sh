#!/bin/sh
# Start-up to a shown window with every list loaded, over repeated runs of the optimised build on
# the demo data (offscreen, so no display is needed). Usage: bench/startup_time.sh [RUNS] [-v]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-10}
cmake --preset release >/dev/null
cmake --build --preset release --target quillmark quillmark-generate >/dev/null
# With "-v", the version check runs against the configured vendor address as it would for users.
vendor=""
[ "${2:-}" = "-v" ] && vendor=unset
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
build/release/bench/quillmark-generate "$folder/data/" 40 30 200 --seed 7 >/dev/null
i=0
while [ "$i" -lt "$runs" ]; do
  start=$(date +%s%N)
  if [ "$vendor" = unset ]; then unset QUILLMARK_VENDOR_URL; else export QUILLMARK_VENDOR_URL=; fi
  QT_QPA_PLATFORM=offscreen QUILLMARK_PROGRAM_FOLDER="$folder" \
    QUILLMARK_STARTUP_PROBE=1 build/release/src/app/quillmark 2>/dev/null | tr '\n' ' '
  end=$(date +%s%N)
  echo "(process $(( (end - start) / 1000000 )) ms from exec to exit)"
  i=$((i + 1))
done
