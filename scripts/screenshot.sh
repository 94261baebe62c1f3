#!/usr/bin/env bash
# Makes docs/main-window.png (the New Order tab) and docs/pending-queue.png (the pending queue
# with one order's details): the program on the demo data, on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program="${QM_PROGRAM:-$root/build/dev/src/app/quillmark}" # another build: QM_PROGRAM=...
[ -x "$program" ] || { echo "build first: make build" >&2; exit 1; }
mkdir -p "$root/docs"
# The window opens at the top left of the display; the clicks land on the pending tab and on
# the fifth row of the grid.
xvfb-run -a -s "-screen 0 1280x1000x24" bash -c '
  "$0" & pid=$!
  sleep 6
  import -window root "$1"
  xdotool mousemove 180 44 click 1; sleep 1
  xdotool mousemove 300 165 click 1; sleep 1
  import -window root "$2"
  kill $pid; wait $pid 2>/dev/null || true
' "$program" "$root/docs/main-window.png" "$root/docs/pending-queue.png"
for picture in main-window pending-queue; do
  convert "$root/docs/$picture.png" -trim "$root/docs/$picture.png"
  echo "wrote docs/$picture.png"
done
