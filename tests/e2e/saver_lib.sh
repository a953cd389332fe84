# Helpers of the saver's Wine tests (saver_*_test.sh), sourced by them after lib.sh: settings, the
# driver in the background, waits with deadlines, and screenshots read back as classes of pixels.
# Needs xdotool, ImageMagick (import, convert) and xwininfo beside the fixture's tools.
driver="$OSTINEL_BUILD/saver_driver.exe"
scr="$OSTINEL_BUILD/ostinel.scr"
saver_key='HKCU\Software\n3v\OSTINEL\1'
system_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'

for tool in xdotool import convert xwininfo sox; do
  command -v "$tool" >/dev/null || check "$tool is installed" false
done

reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }

# seed_settings [NAME VALUE]...: the saver's key holds only these DWORD values, and the system's
# grace period is its default.
seed_settings() {
  reg delete 'HKCU\Software\n3v' /f
  reg delete "$system_key" /v "Password Delay" /f
  while [ $# -ge 2 ]; do
    reg add "$saver_key" /v "$1" /t REG_DWORD /d "$2" /f
    shift 2
  done
}

clear_settings() {
  reg delete 'HKCU\Software\n3v' /f
  reg delete "$system_key" /v "Password Delay" /f
}

# now_ms: the wall clock in milliseconds, for the script's own timings.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# start_driver LOG ARGS...: runs saver_driver in the background with its report in LOG; sets
# driver_pid.
start_driver() {
  local log=$1
  shift
  rm -f "$log"
  wine_run 120 "$driver" "$@" >"$log" 2>/dev/null &
  driver_pid=$!
}

# report LOG: the driver's report without Windows line ends.
report() { tr -d '\r' <"$1"; }

# wait_line LOG REGEX SECONDS: waits until a line of the report matches; false on the deadline.
wait_line() {
  local deadline=$(($(now_ms) + $3 * 1000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    report "$1" | grep -qE "$2" && return 0
    sleep 0.05
  done
  return 1
}

# line LOG REGEX: the first line of the report that matches.
line() { report "$1" | grep -m1 -E "$2"; }

# value LOG REGEX NAME: NAME's value in the first matching line ("NAME=VALUE" fields).
value() { line "$1" "$2" | tr ' ' '\n' | sed -n "s/^$3=//p" | head -n1; }

# wait_driver: waits for the driver to end; its exit status is wine_run's.
wait_driver() { wait "$driver_pid"; }

# shot FILE: a screenshot of the whole virtual screen.
shot() { import -window root "$1"; }

# Pixel classes of a picture: the backgrounds (night black, the day grey 236, the brighter day grey
# 251), the preview parent's blue, the boxes' pale off-cell tints (every channel at least 170) and
# the strong colours of cells that are on or tracks that are muted.
classify() {
  convert "$1" -depth 8 -format %c histogram:info:- | awk '
    {
      n = $1 + 0
      split($2, c, /[(),]/)
      r = c[2] + 0; g = c[3] + 0; b = c[4] + 0
      low = r < g ? r : g
      if (b < low) low = b
      grey = r - g <= 3 && g - r <= 3 && g - b <= 4 && b - g <= 4
      if (grey && r <= 3) night += n
      else if (grey && r >= 232 && r <= 240) day += n
      else if (grey && r >= 246) bright += n
      else if (r <= 10 && g <= 10 && b >= 245) blue += n
      else if (low >= 170) pale += n
      else strong += n
    }
    END {
      printf "night=%d day=%d bright=%d blue=%d pale=%d strong=%d\n", night, day, bright, blue,
        pale, strong
    }'
}

# field TEXT NAME: the value of NAME in a line of "NAME=VALUE" fields.
field() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p"; }

# box_runs FILE Y: how many separate boxes (runs of pixels that are neither background nor blue)
# a row of the picture crosses; across the table's tracks that is the number of tracks.
box_runs() {
  convert "$1" -crop "x1+0+$2" +repage -depth 8 txt:- | awk '
    /^#/ { next }
    {
      split($2, c, /[(),]/)
      r = c[2] + 0; g = c[3] + 0; b = c[4] + 0
      grey = r - g <= 3 && g - r <= 3 && g - b <= 4 && b - g <= 4
      box = !(grey && (r <= 3 || r >= 232)) && !(r <= 10 && g <= 10 && b >= 245)
      if (box && !inside) runs++
      inside = box
    }
    END { print runs + 0 }'
}

# look FILE X Y: "day", "bright", "night" or "other" for the background at a pixel.
look() {
  local counts
  counts=$(convert "$1" -crop "1x1+$2+$3" +repage png:- | classify -)
  case "$counts" in
    *day=1*) echo day ;;
    *bright=1*) echo bright ;;
    *night=1*) echo night ;;
    *) echo other ;;
  esac
}

# wait_first_frame SECONDS X Y: waits until the pixel at X, Y (the middle of the table) shows a box,
# which it does from the first frame on; prints the screenshot that shows it.
wait_first_frame() {
  local deadline=$(($(now_ms) + $1 * 1000))
  local file="$OSTINEL_E2E_STATE/first-frame.png"
  while [ "$(now_ms)" -lt "$deadline" ]; do
    shot "$file"
    case "$(convert "$file" -crop "1x1+$2+$3" +repage png:- | classify -)" in
      *pale=1* | *strong=1*)
        echo "$file"
        return 0
        ;;
    esac
    sleep 0.1
  done
  return 1
}

# after_key KEYS LOG: presses the keys (xdotool key syntax) and waits for the saver to end; sets
# hidden_after and ended_after, the ms from the key to the window's going and to the process's end
# as the script sees them (empty when that did not happen within 10 s of the key).
after_key() {
  hidden_after=
  ended_after=
  if [ -n "$(line "$2" '^(window_hidden|exit=)')" ]; then
    echo "the saver had ended before the key"
    return
  fi
  local pressed
  pressed=$(now_ms)
  xdotool key "$1"
  wait_line "$2" '^window_hidden' 10 && hidden_after=$(($(now_ms) - pressed))
  wait_line "$2" '^exit=' 10 && ended_after=$(($(now_ms) - pressed))
}

# wait_look FILE X Y LOOK SECONDS: takes screenshots into FILE until the background at X, Y is LOOK
# or the time is up; prints the last look seen.
wait_look() {
  local deadline=$(($(now_ms) + $5 * 1000))
  local seen
  while :; do
    shot "$1"
    seen=$(look "$1" "$2" "$3")
    [ "$seen" = "$4" ] || [ "$(now_ms)" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$seen"
}

# Numeric comparisons for check, false for an empty value: at_least VALUE LIMIT; at_most VALUE
# LIMIT; near VALUE TARGET TOLERANCE.
at_least() { [ -n "$1" ] && awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
at_most() { [ -n "$1" ] && awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
near() {
  [ -n "$1" ] && awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { exit !(a - b <= t && b - a <= t) }'
}

# share PART WHOLE: PART / WHOLE with two decimals.
share() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
