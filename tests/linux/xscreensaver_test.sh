#!/usr/bin/env bash
# The hack under the real XScreenSaver on a virtual X server, as a user runs it: the daemon as an
# unprivileged user whose only program is `ostinel --root`; the picture, the drums in a PulseAudio
# null sink, the end on -deactivate, the drums again beside two busy loops. Then --window-id into a
# window of the test's own, and the README's example in a window of its own.
#   xscreensaver_test.sh HACK
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/lib.sh"
hack=$(readlink -f "$1")
work=$(mktemp -d /tmp/ostinel-xss.XXXXXX)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; sleep 0.3; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

# A directory the daemon's user can read, a home of its own, a sound server it may enter.
mkdir -p "$work/bin" "$work/home" "$work/pulse/home" "$work/pulse/runtime"
chmod 755 "$work" "$work/bin" && chmod 711 "$work/pulse"
cp "$hack" "$work/bin/ostinel"
printf '%s\n' 'mode: one' 'selected: 0' 'lock: False' 'splash: False' 'fade: False' \
  'unfade: False' "programs: GL: $work/bin/ostinel --root --tempo 6 --transient 2 --verbose \\n" \
  >"$work/home/.xscreensaver"
# XScreenSaver refuses to run hacks as root: as root the daemon runs as nobody.
user=$(id -un) as_user=()
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work/home" && user=nobody &&
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

start_display_and_sink "$work" 800x600

daemon_user=("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work/home" DISPLAY="$DISPLAY"
  PULSE_SERVER="$PULSE_SERVER")
hack_pids() { pgrep -d ' ' -f "^$work/bin/ostinel"; }
# colourful SHOT: the bounding box (WxH+X+Y) of the pixels with a chroma above 8 %: the boxes
# (even the pale ones), not the grey or black background.
colourful() {
  convert "$1" -colorspace HCL -channel G -separate +channel -threshold 8% -format '%@' info:
}
# covers BOX W H PERCENT: the box spans at least PERCENT of both sides.
covers() { IFS='x+' read -r w h _ _ <<<"$1" && holds "$w * 100 >= $2 * $4 && $h * 100 >= $3 * $4"; }
# on_grid STEP MS: the share (%) of onsets within MS ms of a grid of STEP ms, at its best phase.
# (Some samples have later attacks of their own, so not all of them.)
on_grid() {
  awk -v step="$1" -v near="$2" '{ t[n++] = $1 }
    END {
      for (phase = 0; phase < step; phase += 0.5) {
        on = 0
        for (i = 0; i < n; i++) { d = t[i] - phase; d -= int(d / step + 0.5) * step; on += d * d <= near * near }
        if (on > best) best = on
      }
      print n ? int(100 * best / n) : 0
    }'
}
# off_grid STEP: the median and the largest distance (ms) of the gaps between onsets from whole
# steps of STEP ms, whatever their phase.
off_grid() {
  awk -v step="$1" 'NR > 1 { d = $1 - p; d -= int(d / step + 0.5) * step; print d < 0 ? -d : d }
    { p = $1 }' | sort -n | awk '{ d[n++] = $1 }
    END { print n ? (d[int((n - 1) / 2)] + d[int(n / 2)]) / 2 " " d[n - 1] : "99 99" }'
}
# drums NAME: the saver activated, 5 s of its drums recorded into NAME.wav and their onsets into
# NAME.onsets, the screen into NAME.png, the saver deactivated; the hack's user is in `hack_user`,
# the time it took to go in `gone_ms`.
drums() {
  "${daemon_user[@]}" xscreensaver-command -activate >/dev/null
  for _ in $(seq 100); do [ -n "$(hack_pids)" ] && break; sleep 0.1; done
  hack_user=$(ps -o user= -p "$(hack_pids)" 2>/dev/null)
  start_capture "$work/$1.wav"
  sleep 5
  import -window root "$work/$1.png"
  stop_capture
  "${daemon_user[@]}" xscreensaver-command -deactivate >/dev/null
  local start=$(date +%s%N)
  for _ in $(seq 50); do [ -z "$(hack_pids)" ] && break; sleep 0.05; done
  gone_ms=$((($(date +%s%N) - start) / 1000000))
  onsets "$work/$1.wav" >"$work/$1.onsets"
}

setsid "${daemon_user[@]}" xscreensaver -no-splash </dev/null >"$work/daemon.log" 2>&1 &
pids+=($!)
sleep 2
drums idle
expect_equal "XScreenSaver starts the hack as $user" "$hack_user" "$user"
box=$(colourful "$work/idle.png")
echo "root: boxes within $box; $(sox "$work/idle.wav" -n stat 2>&1 | grep 'Maximum amp')"
check "the table fills most of the screen" covers "$box" 800 600 60
on_steps=$(on_grid 83.25 5 <"$work/idle.onsets")
read -r idle_median idle_worst < <(off_grid 83.25 <"$work/idle.onsets")
echo "$(wc -l <"$work/idle.onsets") onsets, $on_steps % within 5 ms of the step grid;" \
  "gaps off whole steps: median $idle_median ms, worst $idle_worst ms"
check "the drums reach the sink" test "$(wc -l <"$work/idle.onsets")" -ge 10
check "the onsets keep to the 83.25 ms steps of tempo 6" test "$on_steps" -ge 70
echo "-deactivate: the hack gone after $gone_ms ms"
expect_equal "-deactivate ends the hack, nothing left behind" "$(hack_pids)" ""

# Once more beside two busy loops: the frames and the drums keep time whatever the drawing costs.
loops=()
for _ in 1 2; do (while :; do :; done) & loops+=($!); done
pids+=("${loops[@]}")
drums busy
kill "${loops[@]}"
read -r busy_median busy_worst < <(off_grid 83.25 <"$work/busy.onsets")
echo "beside two busy loops: $(wc -l <"$work/busy.onsets") onsets; gaps off whole steps:" \
  "median $busy_median ms, worst $busy_worst ms"
grep -o 'ostinel: .* plays.*' "$work/daemon.log"
check "beside two busy loops the onsets keep to the grid as idle (median within 1 ms)" \
  holds "$busy_median <= $idle_median + 1"
check "the drums reach the sink beside the busy loops" test "$(wc -l <"$work/busy.onsets")" -ge 10
expect_equal "-deactivate ends it beside the busy loops too" "$(hack_pids)" ""

# --window-id into a window with children of its own; a second instance draws silently.
xmessage -geometry 400x300+0+0 -name target 'not covered' 2>/dev/null &
pids+=($!)
id=$(xdotool search --sync --name '^target$' | head -n1)
"$hack" --window-id "$id" --rotation 0 2>"$work/first.err" &
first=$!
sleep 0.5
"$hack" --window-id "$id" 2>"$work/second.err" &
second=$!
sleep 2
import -window "$id" "$work/window.png"
box=$(colourful "$work/window.png")
echo "window $id: boxes within $box"
check "the picture fills the given window" covers "$box" 400 300 90
check "the second instance on the display draws silently" \
  grep -q "another ostinel plays the sound" "$work/second.err"
kill -TERM "$first" "$second"
start=$(date +%s%N)
wait "$first"
status=$?
wait "$second"
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "SIGTERM: ended after $elapsed ms"
expect_equal "SIGTERM ends it with status 0" "$status" 0
expect_equal "nothing on stderr" "$(cat "$work/first.err")" ""
PULSE_SERVER=unix:$work/none "$hack" --window-id "$id" 2>"$work/silent.err" &
sleep 1
kill -INT $!
wait $!
expect_equal "without a sound server it says so once and ends with 0 on SIGINT" \
  "$?:$(grep -c 'no sound server' "$work/silent.err")" "0:1"
# The README's example, as written there but for the hack's path: the table in a window of its own
# (960x600, wider than the screen), and SIGTERM, as from a window manager or Ctrl-C, ends it with 0.
while read -r _ options; do
  "$hack" $options 2>"$work/readme.err" &
  readme=$!
  id=$(timeout 10 xdotool search --sync --name '^Ostinel$' | head -n1)
  sleep 2
  import -window root "$work/readme.png"
  box=$(colourful "$work/readme.png")
  kill -TERM "$readme"
  timeout 5 tail --pid="$readme" -f /dev/null || kill -KILL "$readme"
  wait "$readme"
  status=$?
  check "README: ostinel $options: a window ($id), the table across the screen ($box)" \
    covers "$box" 800 600 60
  expect_equal "README: SIGTERM ends it with 0, nothing on stderr" \
    "$status:$(cat "$work/readme.err")" 0:
done < <(readme_commands ostinel)
check "README: its example of the hack found" test "$(readme_commands ostinel | wc -l)" -ge 1
expect_equal "a bad value is refused with status 2" \
  "$("$hack" --density 3 2>/dev/null; echo $?)" 2
finish
