#!/usr/bin/env bash
# Regenerates the settings dialog's picture (windows/picture.bmp, bitmap 159) from a frame of
# ostinel-render, and the icons (windows/ostinel.ico, icon group 1). Both outputs are committed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

cmake --preset native >/dev/null
cmake --build --preset native --target ostinel-render make_picture make_icons

# A night table, tilted by the aggressive rotation, three seconds after a transform: frame 12 of
# this render is t = 3000 ms. 1064 x 800 is eight times the picture's 133 x 100. The native build
# has LeakSanitizer, and Mesa keeps allocations until exit.
out=build/native/picture
rm -rf "$out"
LSAN_OPTIONS=suppressions=tests/gl/lsan.supp:print_suppressions=0 \
  build/native/headless/ostinel-render \
  --seed 3 --tempo 3 --transient 2 --density 1 --rotation 2 --event 0:space \
  --seconds 3.25 --fps 4 --frame-every 4 --size 1064x800 --out "$out" >/dev/null
build/native/tools/make_picture "$out/frame_00012.png" windows/picture.bmp

build/native/tools/make_icons windows/ostinel.ico
