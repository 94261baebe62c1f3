#!/usr/bin/env bash
# Makes docs/main-window.png: the program on the demo data, on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program="$root/build/dev/src/app/quillmark"
out="$root/docs/main-window.png"
tab=${1:-0}
[ -x "$program" ] || { echo "build first: make build" >&2; exit 1; }
mkdir -p "$root/docs"
xvfb-run -a -s "-screen 0 1280x1000x24" bash -c '
  "$0" & pid=$!
  sleep 6
  import -window root "$1"
  kill $pid; wait $pid 2>/dev/null || true
' "$program" "$out"
convert "$out" -trim "$out"
echo "wrote $out"
