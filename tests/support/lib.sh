# Helpers of the tests' scripts: assertions and their tally, a virtual X server with a PulseAudio
# null sink and its recording, and the drums' onsets in a recording.
passed=0 failed=0

# check DESCRIPTION COMMAND...: one assertion, passed when COMMAND succeeds.
check() {
  if "${@:2}"; then passed=$((passed + 1)) && echo "ok: $1"
  else failed=$((failed + 1)) && echo "FAILED: $1"; fi
}
expect_equal() {  # DESCRIPTION ACTUAL EXPECTED
  if [ "$2" == "$3" ]; then check "$1" true; else check "$1 (got '$2', expected '$3')" false; fi
}
holds() { awk "BEGIN { exit !($*) }"; }  # holds EXPRESSION: an awk comparison
finish() { echo "$passed passed, $failed failed" && [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]; }
# readme_commands NAME: the commands of README.md's code blocks that run the program NAME, by path
# or not, one a line as written there: continuation lines joined, the comment after one dropped.
readme_commands() {
  awk -v name="$1" '/^```/ { block = !block; next }
    block && sub(/\\$/, "") { part = part $0; next }
    block { $0 = part $0; part = ""; sub(/[ \t]+#.*/, ""); n = split($1, path, "/") }
    block && path[n] == name' "$readme_md"
}
readme_md=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/README.md

# start_display_and_sink DIR WxH: a virtual X server of that size and a private PulseAudio daemon
# whose default sink is the null sink "cap", their files in DIR; DISPLAY and PULSE_SERVER set, and
# both added to the caller's `pids`, for it to end.
start_display_and_sink() {
  mkdir -p "$1/pulse/home" "$1/pulse/runtime"
  setsid Xvfb -displayfd 3 -screen 0 "$2x24" -nolisten tcp </dev/null >/dev/null 2>&1 3>"$1/display" &
  pids+=($!)
  export PULSE_SERVER=unix:$1/pulse/native
  HOME=$1/pulse/home XDG_RUNTIME_DIR=$1/pulse/runtime setsid pulseaudio --daemonize=no -n \
    --exit-idle-time=-1 --use-pid-file=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$1/pulse/native" \
    --load="module-null-sink sink_name=cap rate=44100" </dev/null >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$1/display")
  for _ in $(seq 100); do pactl set-default-sink cap 2>/dev/null && break; sleep 0.1; done
}
# start_capture FILE: records the sink (44100 Hz 16-bit stereo WAV) until stop_capture. An idle null
# sink renders in blocks of up to 2 s: once samples flow, it keeps real time for Wine too.
start_capture() {
  rm -f "$1"
  env -u PULSE_LATENCY_MSEC parec --device=cap.monitor --latency-msec=20 --file-format=wav \
    --rate=44100 --channels=2 --format=s16le "$1" &
  capture_pid=$!
  for _ in $(seq 100); do [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -gt 8864 ] && return 0; sleep 0.05; done
  echo "the capture did not start" >&2 && return 1
}
stop_capture() {  # after what the sink still holds
  sleep 0.5 && kill -INT "$capture_pid" 2>/dev/null || true
  wait "$capture_pid" 2>/dev/null || true
}
# onsets FILE: the drums' onsets in a recording, in ms: above 2 kHz (the attacks, not bass cycles),
# either side's next 3 ms 6 dB over its loudest ms of the 10 before, above -45 dBFS, 40 ms apart.
onsets() {
  sox "$1" -t dat - highpass 2000 | awk '/^;/ { next }
    { ms = int(1000 * (k++) / 44100); e[0, ms] += $2 * $2; e[1, ms] += $3 * $3 }
    END {
      last = -1000
      for (i = 10; i <= ms - 3; i++) for (s = 0; s < 2; s++) {
        before = after = 0
        for (j = i - 10; j < i; j++) if (e[s, j] > before) before = e[s, j]
        for (j = i; j < i + 3; j++) after += e[s, j] / 3
        if (after > 0.0013 && after > 4 * before && i - last > 40) print last = i
      }
    }'
}
