#!/usr/bin/env bash
# The page in Debian's Chromium, in a kiosk window on a virtual X server, WebGL through SwiftShader,
# its sound in a private PulseAudio null sink, served from 127.0.0.1 out of a sub-folder: the
# start-up table against ostinel-render's at the same seed and size, the README's example address,
# Enter, Space, the drums on the step grid and in a hidden tab, a lost WebGL context, a link's piece
# against ostinel-render's (pictures after 10 s, every step through a stall), keys in full screen, a
# touch drag, what the panel stores, no error in the console; then the figures, reported.
#   web_test.sh PAGE_DIR OSTINEL_RENDER WORK_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/lib.sh"
page=$(readlink -f "$1") render=$(readlink -f "$2") work=$(mkdir -p "$3" && readlink -f "$3")
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
rm -rf "$work/site" "$work/profile" "$work/pulse" "$work/native" "$work"/*.png "$work"/*.wav \
  "$work/report.json"
mkdir -p "$work/site" "$work/npm"

# puppeteer-core as its lock file pins it; it downloads no browser.
if ! cmp -s "$here/package-lock.json" "$work/npm/package-lock.json" ||
  [ ! -d "$work/npm/node_modules" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$work/npm/"
  (cd "$work/npm" && timeout 300 npm ci --no-audit --no-fund --loglevel=error >/dev/null) ||
    { echo "npm ci failed"; exit 1; }
fi

ln -s "$page" "$work/site/ostinel"
cp "$here/clear.html" "$work/site/"
start_display_and_sink "$work" 1280x800
setsid python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/site" \
  </dev/null >"$work/http.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q ' port ' "$work/http.log" && break; sleep 0.1; done
port=$(grep -om1 'port [0-9]*' "$work/http.log" | cut -d' ' -f2)

# The README's example addresses too, as written there.
addresses=$(grep -o '`index\.html?[^`]*`' "$readme_md" | tr -d '`')
timeout -k 5 240 node "$here/drive_page.mjs" "http://127.0.0.1:$port/ostinel/" "$work" \
  $addresses 2>"$work/node.err"
check "Chromium ran the page to the end" test -s "$work/report.json" -a ! -s "$work/node.err"
[ -s "$work/node.err" ] && head -n5 "$work/node.err"
field() { node -e "const r = require('$work/report.json'); console.log(r.$1)"; }

# The start-up table: ostinel-render at the page's own seed and size. Pixels where the two differ
# lie along box edges; nothing two pixels wide survives opening the difference by a 3x3 square.
piece() { field piece | grep -o "$1=[0-9]*" | cut -d= -f2; }
seed=$(piece seed) size=$(field width)x$(field height)
# like_render NAME FRAME PNG OPTIONS...: ostinel-render's frame FRAME at --fps 60 against the page's
# picture PNG; prints how many pixels differ, and how many of them beyond the boxes' edges.
like_render() {
  local out=$work/native/$1 frame=$2 png=$3
  "$render" --size "$size" --fps 60 --seconds "$(awk -v k="$frame" 'BEGIN { printf "%.3f", int((k + 1) * 1000 / 60 + 1) / 1000 }')" \
    --frame-every 100000 --quiet --out "$out" "${@:4}" >/dev/null
  echo "$(compare -metric AE "$out/$(printf 'frame_%05d.png' "$frame")" "$work/$png" \
    -compose src -highlight-color white -lowlight-color black "$out/difference.png" 2>&1)" \
    "$(convert "$out/difference.png" -morphology Open Square:1 -format '%[fx:int(mean*w*h)]' info:)"
}
read -r differing beyond_edges < <(like_render first 0 first.png --seed "$seed" --rotation "$(piece rotation)")
echo "start-up table, seed $seed at $size, rotation $(piece rotation): $differing pixels differ from the native render"
expect_equal "the start-up table matches the native render box for box" "$beyond_edges" 0

# Each README address draws the table: a fifth of the page in colour, the boxes, even pale ones.
# Its errors and warnings are the console's, checked below.
colour() {
  convert "$work/$1" -colorspace HCL -channel G -separate +channel -threshold 8% -format '%[fx:mean]' info:
}
i=0
for address in $addresses; do
  share=$(colour "readme-$i.png") i=$((i + 1))
  check "README: $address draws the table ($share of the page in colour)" holds "${share:-0} > 0.2"
done
check "README: its example address found" test "$i" -ge 1

# Enter: seed 2 starts by night (black); Enter gives the day of the fog colour, 236 of 255.
background() { convert "$work/$1" -format '%[fx:int(255*p{2,2}.r+0.5)]' info:; }
before=$(background before-enter.png) after=$(background after-enter.png)
echo "background: $before before Enter, $after after"
check "Enter flips day and night" holds "$before == 0 && $after == 236"

# Space: boxes in strong colours (red, and green or blue under 30 %) are cells that play; off cells
# are pale, the background grey or black.
strong() { convert "$work/$1" -fx 'r > 0.5 && min(g, b) < 0.3' -format '%[fx:int(mean*w*h)]' info:; }
before=$(strong after-down.png) after=$(strong after-space.png)
echo "pixels of cells that play: $before after Down, $after after Space"
check "Space transforms the pattern" holds "$after > $before + 10000"

# The drums, from the first 2 s of the capture on (the sink keeps real time once sound has flowed a
# while). Down and Space have set the same pattern playing bar after bar, so each onset comes again
# one bar (666 ms, eight steps of 83.25) after the one before: a sample whose attack lies within it
# comes again too, while a beat placed by the frame that saw its step wanders by up to a frame.
# Reported too: each onset from the step grid at its best phase, and from one to the next.
onsets "$work/drums.wav" | awk '$1 >= 2000' >"$work/onsets"
off_grid() { awk -v step=83.25 "function off(d) { d -= step * int(d / step + 0.5); return d < 0 ? -d : d } $1" \
  "$work/onsets" | sort -n >"$work/$2"; }
off_grid '{ t[n++] = $1 }
  END {
    for (p = 0; p < step; p += 0.25) {
      c = 0; for (i = 0; i < n; i++) c += off(t[i] - p) <= 3
      if (c > best) { best = c; phase = p }
    }
    for (i = 0; i < n; i++) print off(t[i] - phase)
  }' from_grid
off_grid 'NR > 1 { print off($1 - last) } { last = $1 }' between
off_grid '{ t[n++] = $1 }
  END {
    for (i = 0; i < n; i++) for (j = 0; j < i; j++) {
      d = t[i] - t[j] - 8 * step
      if (d * d <= 400) print d < 0 ? -d : d
    }
  }' bar_to_bar
figures() { awk '{ d[NR] = $1 } END { printf "median %s ms, worst %s ms", d[int((NR + 1) / 2)], d[NR] }' "$work/$1"; }
repeated=$(awk '$1 <= 3 { n++ } END { print NR ? int(100 * n / NR) : 0 }' "$work/bar_to_bar")
echo "drums: $(wc -l <"$work/onsets") onsets; from the grid $(figures from_grid); from one to the next, off whole steps $(figures between); $(wc -l <"$work/bar_to_bar") a bar after another, off it $(figures bar_to_bar), $repeated % within 3 ms"
check "the drums reach the sink" holds "$(wc -l <"$work/bar_to_bar") >= 20"
check "the drums keep to the step grid" holds "$repeated >= 80"

count=$(onsets "$work/hidden.wav" | wc -l)
echo "drums in a hidden tab ($(field hiddenState)): $count onsets in 3 s"
check "a hidden page keeps playing" holds "$count >= 5 && \"$(field hiddenState)\" == \"hidden\""

check "a lost WebGL context is said on the page" test -n "$(field lostMessage)"
check "the table comes back with the context" \
  holds "$(strong restored.png) > 10000 && \"$(field messageGoneAfterRestore)\" == \"true\""
# The link's piece is ostinel-render's: two loads' pictures after 10 s are its frames, and the
# steps load A placed, through three stalls of 200 ms and 10 s behind another tab, are its steps.
link=(--seed 42 --tempo 6 --transient 2 --density 2 --rotation 0)
for load in A B; do
  node -e "require('fs').writeFileSync('$work/link$load.png', Buffer.from(require('$work/report.json').link$load.png.split(',')[1], 'base64'))"
  frame=$(field "link$load.frame")
  read -r differing beyond_edges < <(like_render "link$load" "$frame" "link$load.png" "${link[@]}")
  echo "link, load $load: frame $frame, $differing pixels differ from ostinel-render's"
  expect_equal "load $load of a link shows ostinel-render's frame" "$beyond_edges" 0
done
steps=$(node -e "
  const page = require('$work/report.json').linkA.steps;
  const render = require('fs').readFileSync('$work/native/linkA/trace.jsonl', 'utf8').trim().split('\n')
    .map(JSON.parse).filter((line) => line.plays).map((line) => [line.plays[0][3], line.plays.length]);
  const last = Math.min(page[page.length - 1][0], render[render.length - 1][0]);
  const seen = (list) => list.filter(([at]) => at >= page[0][0] && at <= last)
    .map(([at, plays]) => at.toFixed(3) + ':' + plays).join(' ');
  const after = page.map(([start, heard]) => heard - start).sort((x, y) => x - y);
  console.log(seen(page.map((step) => [step[0], step[3]])) === seen(render) ? 'same' : 'differ',
              page.filter((step) => step[2]).length, page.length,
              after[after.length >> 1].toFixed(0), after[after.length - 1].toFixed(0));")
read -r same late placed median worst <<<"$steps"
echo "link, load A: $placed steps placed, $late late, as ostinel-render's (start, samples): $same; heard after their start median $median ms, worst $worst ms"
check "stalls of 200 ms and a hidden tab lose no step and delay none" \
  holds "\"$same\" == \"same\" && $late == 0 && $placed >= 100"

echo "full screen: background $(field fullScreen.night), $(field fullScreen.day) after Enter"
check "after a click on Full screen, Enter is the saver's and another key ends it" holds \
  "$(field fullScreen.night) == 0 && $(field fullScreen.day) == 236 && \"$(field fullScreen.stayed)\" == \"true\" && \"$(field fullScreen.left)\" == \"true\""
echo "touch: a finger dragged 200 px turned the table $(field touchTurn) degrees"
check "a touch drag turns the table" holds "$(field touchTurn) > 10"
expect_equal "Start again plays the link's piece" "$(field restarted)" \
  "?seed=42&tempo=6&transient=2&density=2&rotation=0"
expect_equal "a link's settings are not stored, the panel's choice is" "$(field stored)" \
  "tempo=2&transient=0&density=0&rotation=0&use-mouse=1"

errors=$(field 'errors.join("\n")')
[ -n "$errors" ] && echo "$errors"
expect_equal "nothing in the console as an error" "$errors" ""

weight=$(du -cbL "$page"/* | tail -n1 | cut -f1)
check "the page's files weigh at most 3 MB" holds "$weight <= 3000000"
printf 'page: %s bytes; first frame %.0f ms after loading; at 1280x720 %.1f of the 60 frames a second drawn, a bare WebGL clear %.1f ms a frame\n' \
  "$weight" "$(field firstFrameMs)" "$(field pageDrawn)" "$(field clearFrameMs)"
finish
