#!/usr/bin/env bash
# Runs the player on the demo project: in a window when there is a display, otherwise headless
# for 120 frames, writing build/demo.png and, in the middle of its fade, build/demo-fade.png.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mkdir -p build/demo-data
if [ -x build/tools/make-demo/make-demo ]; then
  build/tools/make-demo/make-demo build/demo-data
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/vornplayer ]; then
  exec build/src/vornplayer "$PWD/build/demo-data"
fi
if [ -x build/tools/headless-run/headless-run ]; then
  # Frame 30 falls in the middle of the start page's fade from one layer to the other.
  build/tools/headless-run/headless-run --frames 120 --shot 30=build/demo-fade.png --png build/demo.png \
    "$PWD/build/demo-data"
  echo "wrote build/demo.png and build/demo-fade.png (half way through the fade)"
else
  echo "the player is not built yet" >&2
  exit 1
fi
