# What ends the full-screen saver under Wine and what does not: the mouse with and without the
# "Rotate" setting, clicks, a key after the grace period, and a start without any sound device.
# shellcheck source=saver_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
work="$OSTINEL_E2E_STATE/saver-input"
rm -rf "$work" && mkdir -p "$work"

# start_saver NAME: the saver with the pointer in the middle of the screen, from where the moves
# below start; false when its window does not appear.
start_saver() {
  xdotool mousemove 640 512
  start_driver "$work/$1.txt" run "$scr" 60
  wait_line "$work/$1.txt" '^ready' 20
}

# still_running NAME: the saver has neither hidden its window nor ended.
still_running() { test -z "$(line "$work/$1.txt" '^(window_hidden|exit=)')"; }

# ended_cleanly NAME WHAT: the checks of an end: exit code 0 and the window gone soon after.
ended_cleanly() {
  wait_driver
  report "$work/$1.txt" | grep -E '^(window_|exit|still|no_)' | sed "s/^/$1: /"
  expect_equal "$2: exit code 0" "$(value "$work/$1.txt" '^exit=' exit)" 0
  check "$2: the window goes within 1 s (${hidden_after:-never} ms)" \
    at_most "${hidden_after:-99999}" 1000
}

# --- Rotate=0: clicks and small moves are not enough, a jump of the mouse ends the saver. ---
seed_settings Rotate 0
start_saver mouse-closes
check "Rotate=0: the saver starts" test $? -eq 0
sleep 1
# Clicks where the pointer is: no move, so nothing for the mouse rule to measure.
xdotool click 1
xdotool click 3
sleep 1
check "Rotate=0: left and right clicks leave the saver running" still_running mouse-closes
# The first move the saver examines only sets where the mouse is; moves of up to 5 pixels do not
# count.
for x in 643 646 649; do
  xdotool mousemove "$x" 512
  sleep 0.2
done
sleep 1
check "Rotate=0: moves of 3 pixels leave the saver running" still_running mouse-closes
pressed=$(now_ms)
xdotool mousemove 720 600
hidden_after=
wait_line "$work/mouse-closes.txt" '^window_hidden' 10 && hidden_after=$(($(now_ms) - pressed))
ended_cleanly mouse-closes "Rotate=0: a jump of the mouse ends the saver"

# --- Rotate=1: the mouse never ends the saver; a key does. ---
seed_settings Rotate 1
start_saver mouse-stays
check "Rotate=1: the saver starts" test $? -eq 0
sleep 1
for point in "643 512" "720 600" "300 200" "1000 900"; do
  read -r x y <<<"$point"
  xdotool mousemove "$x" "$y"
  sleep 0.3
done
xdotool click 1
sleep 1.5
check "Rotate=1: jumps of the mouse leave the saver running" still_running mouse-stays
after_key a "$work/mouse-stays.txt"
ended_cleanly mouse-stays "Rotate=1: a key ends the saver"

# --- After a grace period of 1 s a key still ends the saver: the system (NT) asks no password. ---
seed_settings
reg add "$system_key" /v "Password Delay" /t REG_DWORD /d 1 /f
start_saver after-grace
check "Password Delay=1: the saver starts" test $? -eq 0
sleep 2.5
after_key a "$work/after-grace.txt"
ended_cleanly after-grace "Password Delay=1: a key 2.5 s in ends the saver"

# --- Without any sound device the saver still draws and still ends on a key. ---
# The sink is recorded meanwhile, with the pattern filled: nothing may reach it.
seed_settings
start_capture "$work/no-sound.wav"
started=$(now_ms)
without_audio start_saver no-sound
check "without sound: the saver starts" test $? -eq 0
first=$(wait_first_frame 10 640 512)
first_ms=$(($(now_ms) - started))
echo "without sound: the first frame shows ${first_ms} ms after the start"
check "without sound: the first frame comes within 6 s of the start" \
  test -n "$first" -a "$first_ms" -le 6000
if [ -n "$first" ]; then
  cp "$first" "$work/no-sound.png"
  expect_equal "without sound: the table's 25 tracks are drawn" \
    "$(box_runs "$work/no-sound.png" 512)" 25
fi
xdotool key space
sleep 1.5
after_key a "$work/no-sound.txt"
ended_cleanly no-sound "without sound: a key ends the saver"
stop_capture
peak=$(sox "$work/no-sound.wav" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')
check "without sound: nothing is played (peak amplitude ${peak:-none})" at_most "$peak" 0.001
clear_settings
