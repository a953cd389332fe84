# The full-screen saver on two monitors: 1280x800 and, to its right, 1024x768. Xvfb shows Wine one
# monitor, so this runs its own Xorg with two dummy outputs, and Wine on a copy of the prefix: a
# wineserver reads the monitors of the X server its first program finds, and the fixture's is Xvfb.
work="$OSTINEL_E2E_STATE/two-monitors"
rm -rf "$work" && mkdir -p "$work"
printf '%s\n' 'Section "Device" Identifier "card" Driver "dummy" VideoRam 65536 EndSection' \
  'Section "Monitor" Identifier "monitor" HorizSync 5-1000 VertRefresh 5-200 EndSection' \
  'Section "Screen" Identifier "screen" Device "card" Monitor "monitor"' \
  '  SubSection "Display" Virtual 4096 2048 EndSubSection EndSection' >"$work/xorg.conf"
Xorg -displayfd 3 -config "$work/xorg.conf" -logfile "$work/xorg.log" -noreset -nolisten tcp \
  3>"$work/display" </dev/null >/dev/null 2>&1 &
xorg_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX="$work/prefix"
stop_all() {
  timeout 30 wineserver -k 2>/dev/null
  kill "$xorg_pid" 2>/dev/null && wait "$xorg_pid"
  rm -rf "$work/prefix"
}
trap stop_all EXIT
x() { timeout 10 xrandr "$@"; }
# The query at the end probes the outputs: until then DUMMY1 is not connected for Wine.
x --output DUMMY0 --mode 1280x800 --primary && x --addmode DUMMY1 1024x768 &&
  x --output DUMMY1 --mode 1024x768 --right-of DUMMY0 && x >/dev/null
check "Xorg runs two outputs side by side (display $DISPLAY)" test $? -eq 0

# --- The table on both monitors, seen from straight above, each at its own size. ---
settings Param3 0 Rotate 1
check "the saver's window shows" start_saver "$work/key.txt"
expect_equal "the window covers the 2304 x 800 virtual screen" "$(value '^window ' rect)" "0,0,2304,800"
sleep 2
import -window root "$work/two.png"
# The outer tracks' edges lie at x = +-9.3775 of the -10..10 that spans each monitor's width.
for monitor in "1280 800 0" "1024 768 1280"; do
  read -r w h left <<<"$monitor"
  span=$(convert "$work/two.png" -crop "${w}x2+${left}+$((h / 2))" +repage -fuzz 1% -trim \
    -format '%X %[fx:page.x+w]' info: | tr -d +)
  expect_equal "the ${w}x${h} monitor's table spans its width" "$span" \
    "$(awk -v w="$w" 'BEGIN { printf "%d %d", w / 2 * 0.06225 + 0.5, w / 2 * 1.93775 + 0.5 }')"
done
xdotool key a
wait "$driver_pid"
expect_equal "a key ends the saver with exit code 0" "$(value '^exit=' exit)" 0

# --- Rotate=0: a move of 80 px on the second monitor ends the saver. ---
settings Param3 0 Rotate 0
check "the saver's window shows again" start_saver "$work/mouse.txt" 1800 400
sleep 1
xdotool mousemove 1802 400  # the first move examined only marks where the mouse is
sleep 1
xdotool mousemove 1804 400
sleep 1
check "a move of 2 px leaves it running" bash -c "! grep -qE '^(hidden|exit)' '$log'"
xdotool mousemove 1882 400
wait "$driver_pid"
expect_equal "a move of 80 px on the second monitor ends the saver with exit code 0" \
  "$(value '^exit=' exit)" 0
settings
