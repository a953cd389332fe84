# The saver's windows under Wine as Windows drives them: the preview inside a parent window, a
# preview handle naming no window, and the full-screen saver: its look, its keys, what ends it.
work="$OSTINEL_E2E_STATE/saver" && rm -rf "$work" && mkdir -p "$work" && settings

expect_equal "the preview: the one child of its parent, of class OpenGL, named SaverWindow, \
WS_CHILD | WS_VISIBLE, over all the parent; no top-level window; running until the parent goes, \
then exit 0; the flag never set" "$(drive preview "$scr" 3)" "$(printf '%s\n' \
  "child class=OpenGL style=0x50000000 rect=0,0,152,112 name=SaverWindow children=1" \
  "parent=1 toplevel=0 alive=1 flag=0" exit=0)"
expect_equal "a preview handle naming no window: no window, exit 0" "$(drive preview "$scr" 1 12345)" \
  "$(printf '%s\n' "child none children=0" "parent=0 toplevel=0 alive=0 flag=0" exit=0)"

# Screenshots as classes of pixels: the backgrounds (night black, day greys from 232), the boxes'
# pale off-cell tints (every channel 170 or more), the strong colours of cells on or tracks muted.
kind='function kind(s,   c, r, g, b) {
  split(s, c, /[(),]/); r = c[2] + 0; g = c[3] + 0; b = c[4] + 0
  if (r - g <= 3 && g - r <= 3 && g - b <= 4 && b - g <= 4 && (r <= 3 || r >= 232)) return r <= 3 ? "night" : "day"
  return r >= 170 && g >= 170 && b >= 170 ? "pale" : "strong"
}'
shot() { import -window root "$work/$1.png"; }
# look NAME X Y: the class of a pixel; filled NAME: the share of the boxes' pixels in strong colours.
look() { convert "$work/$1.png" -crop "1x1+$2+$3" +repage -depth 8 txt:- | awk "$kind"'NR > 1 { print kind($2) }'; }
filled() {
  convert "$work/$1.png" -depth 8 -format %c histogram:info:- |
    awk "$kind"'{ n[kind($2)] += $1 } END { printf "%.2f", n["strong"] / (n["strong"] + n["pale"] + 1) }'
}
# tracks NAME: how many boxes the middle row crosses: across the table, one per track.
tracks() {
  convert "$work/$1.png" -crop x1+0+512 +repage -depth 8 txt:- | awk "$kind"'NR > 1 {
    box = kind($2) ~ /pale|strong/; runs += box && !inside; inside = box } END { print runs + 0 }'
}
# shows LOOK: screenshots (2 s at most) until the background at 2, 2 is LOOK; prints the last look.
shows() {
  for _ in $(seq 20); do shot enter && [ "$(look enter 2 2)" = "$1" ] && break; sleep 0.1; done
  look enter 2 2
}

# NAME|SETTINGS|xdotool steps that leave the saver running|the step that ends it
while IFS='|' read -r -u 3 name seeded keep end; do
  settings $seeded
  run=start_saver
  [ "$name" = silent ] && start_capture "$work/silent.wav" && run="without_audio start_saver"
  check "$name: the window shows" $run "$work/$name.txt"
  for _ in $(seq 50); do shot "$name" && [[ $(look "$name" 640 512) == @(pale|strong) ]] && break; done
  expect_equal "$name: the first frame shows the 25 tracks" "$(tracks "$name")" 25
  if [ "$name" = default ]; then
    style=$(value '^window ' style)
    expect_equal "the window: class OpenGL, named SaverWindow, a visible popup, over all the screen" \
      "$(value '^window ' class) $(value '^window ' name) $((style & 0xD0000000)) $(value '^window ' rect)" \
      "OpenGL SaverWindow $((0x90000000)) 0,0,$(value '^window ' screen)"
    start_look=$(look default 2 2)
    check "the start background is day grey or night black ($start_look)" \
      test "$start_look" = day -o "$start_look" = night
    flipped=$([ "$start_look" = day ] && echo night || echo day)
    xdotool key Return && first=$(shows "$flipped") && xdotool key Return
    expect_equal "Enter switches the background, and back" "$first $(shows "$start_look")" "$flipped $start_look"
    shot before && xdotool key space && sleep 0.5 && shot after
    check "Space switches on a good part of the pattern (boxes on or muted: $(filled before), then \
$(filled after))" holds "$(filled after) >= 0.25 && $(filled after) >= $(filled before) + 0.1"
  fi
  xdotool $keep
  check "$name: $keep: the saver runs on" bash -c "! grep -qE '^(hidden|exit)' '$log'"
  xdotool $end
  check "$name: $end: the window goes" wait_for '^hidden' 10
  wait "$driver_pid"
  expect_equal "$name: the saver exits with 0, the flag set once its window exists and cleared once \
it is gone" "$(report | grep -E '^(flag=[01] window|exit)' | xargs)" "flag=1 window=1 flag=0 window=0 exit=0 flag=0"
done 3<<'CASES'
default||key alt+F4 click 1 click 3 sleep 2.5|key a
rotate0|Rotate 0|click 1 click 3 sleep 1 mousemove 643 512 sleep 0.2 mousemove 646 512 sleep 0.2 mousemove 649 512 sleep 1|mousemove 720 600
rotate1|Rotate 1|mousemove 643 512 sleep 0.3 mousemove 720 600 sleep 0.3 mousemove 300 200 sleep 0.3 mousemove 1000 900 sleep 0.3 click 1 sleep 1.5|key a
delay1|PasswordDelay 1|sleep 2.5|key a
silent||key space sleep 1.5|key a
CASES
stop_capture
peak=$(sox "$work/silent.wav" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')
check "without a sound device nothing is played (peak ${peak:-none})" holds "${peak:-1} <= 0.001"
settings
