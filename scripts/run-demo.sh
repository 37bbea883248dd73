#!/usr/bin/env bash
# Runs the player on the demo project: in a window when there is a display, otherwise headless
# for 120 frames, writing build/demo.png.
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
  build/tools/headless-run/headless-run --frames 120 --png build/demo.png "$PWD/build/demo-data"
  echo "wrote build/demo.png"
else
  echo "the player is not built yet" >&2
  exit 1
fi
