# The saver's windows under Wine, driven as Windows drives a screen saver: the preview inside a
# parent window, a preview handle that names no window, and the full-screen saver with its look, the
# Enter and Space keys, keys that must not end it, and the key that does.
# shellcheck source=saver_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
work="$OSTINEL_E2E_STATE/saver"
rm -rf "$work" && mkdir -p "$work"
seed_settings

# How Wine shares the flag between processes: the driver watches it where Wine keeps it.
echo "the screen-saver-running flag under this system:"
wine_run 30 "$driver" flag 2>/dev/null | tr -d '\r' | sed 's/^/  /'

# --- Preview: a child of the driver's 152 x 112 window, drawn into, gone with its parent. ---
start_driver "$work/preview.txt" preview "$scr" 3
wait_line "$work/preview.txt" '^ready' 20
check "the preview starts" test $? -eq 0
report "$work/preview.txt" | sed -n 's/^child /preview child: /p'
expect_equal "the preview is one child window of class OpenGL named SaverWindow" \
  "$(value "$work/preview.txt" '^child ' class) $(value "$work/preview.txt" '^child ' name)" \
  "OpenGL SaverWindow"
expect_equal "the preview child is the parent's only child" \
  "$(value "$work/preview.txt" '^child_found' children)" 1
expect_equal "the preview child's style is WS_CHILD | WS_VISIBLE" \
  "$(value "$work/preview.txt" '^child ' style)" 0x50000000
expect_equal "the preview child covers the parent's client area" \
  "$(value "$work/preview.txt" '^child ' rect)" "0,0,152,112"

# Wine cannot show a GL window inside another process's window: it renders the child into an X
# window of its own, kept off screen, and copies nothing to the parent. That X window holds what the
# saver drew; it is the only window of the preview's size with no name.
sleep 1.5
read -r _ x y w h < <(line "$work/preview.txt" '^ready')
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/preview-screen.png"
echo "preview area on screen: $(classify "$work/preview-screen.png")"
gl_window=$(xwininfo -root -tree | awk -v size="${w}x${h}+0+0" \
  '$0 ~ /\(has no name\): \(\)/ && index($0, size) { print $1 }' | head -n1)
if [ -n "$gl_window" ]; then
  import -window "$gl_window" "$work/preview-drawn.png"
  counts=$(classify "$work/preview-drawn.png")
  echo "preview as drawn (X window $gl_window): $counts"
  tracks=$(box_runs "$work/preview-drawn.png" $((h / 2)))
  expect_equal "the preview shows the table's 25 tracks" "$tracks" 25
  boxes=$(($(field "$counts" pale) + $(field "$counts" strong)))
  background=$(($(field "$counts" day) + $(field "$counts" bright) + $(field "$counts" night)))
  check "the preview is boxes on the day or night background ($boxes box pixels)" \
    test "$boxes" -gt $((w * h / 3)) -a "$background" -gt 0 -a "$(field "$counts" blue)" -eq 0
else
  check "the preview's GL window is found" false
fi

wait_driver
report "$work/preview.txt" | grep -E '^(toplevel|child_alive|running_most|exit|ended|no_)' |
  sed 's/^/preview: /'
expect_equal "the preview makes no top-level window" \
  "$(value "$work/preview.txt" '^toplevel' toplevel)" 0
expect_equal "the preview runs until its parent goes" \
  "$(value "$work/preview.txt" '^child_alive' child_alive)" 1
expect_equal "the preview never sets the screen-saver-running flag" \
  "$(value "$work/preview.txt" '^running_most' running_most)" 0
expect_equal "the preview exits with 0 once its parent is destroyed" \
  "$(value "$work/preview.txt" '^exit=' exit)" 0
check "the preview exits within 3 s of its parent's destruction" \
  at_most "$(value "$work/preview.txt" '^exit=' ms)" 3000

# --- A preview handle that names no window: nothing is created, exit code 0. ---
wine_run 40 "$driver" preview-bad "$scr" 12345 2>/dev/null | tr -d '\r' >"$work/bad.txt"
sed 's/^/bad handle: /' "$work/bad.txt"
expect_equal "12345 names no window here" "$(value "$work/bad.txt" '^handle' is_window)" 0
expect_equal "a preview of no window makes no window" "$(value "$work/bad.txt" '^window' window)" 0
expect_equal "a preview of no window exits with 0" "$(value "$work/bad.txt" '^window' exit)" 0

# --- The full-screen saver. ---
xdotool mousemove 640 512
start_driver "$work/saver.txt" run "$scr" 60
wait_line "$work/saver.txt" '^ready' 20
check "the saver's window appears" test $? -eq 0
shown_at=$(now_ms)
report "$work/saver.txt" | sed -n 's/^\(running=. before\|started\|window \)/saver: &/p'
read -r screen_w screen_h < <(value "$work/saver.txt" '^started' screen | tr ',' ' ')
expect_equal "the saver's window is of class OpenGL, named SaverWindow" \
  "$(value "$work/saver.txt" '^window ' class) $(value "$work/saver.txt" '^window ' name)" \
  "OpenGL SaverWindow"
style=$(value "$work/saver.txt" '^window ' style)
expect_equal "the saver's window is a visible popup" "$((style & 0xD0000000))" $((0x90000000))
expect_equal "the saver's window covers the screen" "$(value "$work/saver.txt" '^window ' rect)" \
  "0,0,$screen_w,$screen_h"
wait_line "$work/saver.txt" '^running=1 ms=' 5
expect_equal "the flag is set once the window exists" \
  "$(value "$work/saver.txt" '^running=1 ms=' window)" 1

first=$(wait_first_frame 10 $((screen_w / 2)) $((screen_h / 2)))
check "the saver draws its first frame" test -n "$first"
if [ -n "$first" ]; then
  cp "$first" "$work/start.png"
  counts=$(classify "$work/start.png")
  start_look=$(look "$work/start.png" 2 2)
  echo "start: $start_look, $counts"
  check "the start background is day grey or night black ($start_look)" \
    test "$start_look" = day -o "$start_look" = night
  expect_equal "the start shows the table's 25 tracks" \
    "$(box_runs "$work/start.png" $((screen_h / 2)))" 25
  pale=$(field "$counts" pale)
  strong=$(field "$counts" strong)
  # The dice may have switched a few cells on before the screenshot; most are still off.
  check "the start's boxes are mostly off-cell tints ($(share "$pale" $((pale + strong))))" \
    at_least "$(share "$pale" $((pale + strong)))" 0.8
fi

# Each Enter flips the look; the screenshots wait for the flip, up to 2 s.
case "${start_look:-}" in
  day) flipped=night ;;
  night) flipped=day ;;
  *) flipped=unknown ;;
esac
xdotool key Return
first_enter=$(wait_look "$work/enter1.png" 2 2 "$flipped" 2)
xdotool key Return
second_enter=$(wait_look "$work/enter2.png" 2 2 "${start_look:-unknown}" 2)
echo "after Enter, Enter: $first_enter $second_enter"
expect_equal "Enter switches the background and back" "$first_enter $second_enter" \
  "$flipped ${start_look:-unknown}"

# Alt+F4 reaches the window as the system's close command, which the saver ignores; clicks are
# input too, but not input that ends the saver.
xdotool key alt+F4
xdotool click 1
xdotool click 3
sleep 2.5
check "Alt+F4 and clicks leave the saver running" \
  test -z "$(line "$work/saver.txt" '^(window_hidden|exit)')"
on_screen() { xdotool search --onlyvisible --name '^SaverWindow$' >/dev/null; }
check "the saver's window is still on screen" on_screen

# filled FILE: the share of the boxes' pixels in strong colours, cells on or tracks muted.
filled() {
  local counts
  counts=$(classify "$1")
  share "$(field "$counts" strong)" $(($(field "$counts" strong) + $(field "$counts" pale)))
}
shot "$work/before-space.png"
xdotool key space
sleep 0.5
shot "$work/space.png"
filled_before=$(filled "$work/before-space.png")
filled_after=$(filled "$work/space.png")
echo "share of boxes on or muted: $filled_before before Space, $filled_after after"
check "Space switches on a good part of the pattern" at_least "$filled_after" 0.25
check "Space adds to the pattern" \
  at_least "$filled_after" "$(awk -v a="$filled_before" 'BEGIN { print a + 0.1 }')"

# Any other key ends the saver; this one comes within the grace period of "Password Delay".
key_at=$(($(now_ms) - shown_at))
check "the key comes within the 15 s grace period (${key_at} ms after the window)" \
  at_most "$key_at" 14000
after_key a "$work/saver.txt"
wait_driver
report "$work/saver.txt" | grep -E '^(window_|running|exit|still|no_)' | sed 's/^/saver: /'
echo "after the key: the window goes in ${hidden_after:-(never)} ms, the process ends in" \
  "${ended_after:-(never)} ms"
expect_equal "a key ends the saver with exit code 0" "$(value "$work/saver.txt" '^exit=' exit)" 0
check "the window goes within 1 s of the key" at_most "${hidden_after:-99999}" 1000
# Without a window manager Wine waits 2 s for the hidden window to be unmapped before it goes on.
check "the process ends within 4 s of the key" at_most "${ended_after:-99999}" 4000
expect_equal "the flag is clear after the saver" "$(value "$work/saver.txt" 'after$' running)" 0
expect_equal "the flag is cleared only once the window is gone" \
  "$(value "$work/saver.txt" '^running=0 ms=' window)" 0
clear_settings
