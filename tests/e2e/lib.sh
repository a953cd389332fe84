# Helpers of the Wine tests, sourced by fixture.sh before a test script (and by tools/run-saver.sh).
passed=0 failed=0
[ -n "${OSTINEL_BUILD:-}" ] && driver="$OSTINEL_BUILD/driver.exe" scr="$OSTINEL_BUILD/ostinel.scr"
saver_key='HKCU\Software\n3v\OSTINEL\1'
system_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'

# wine_run SECONDS PROGRAM [ARGS...]: a Windows program under Wine, ended after SECONDS (code 124).
wine_run() { timeout -k 5 "$1" wine "${@:2}"; }
# check DESCRIPTION COMMAND...: one assertion, passed when COMMAND succeeds.
check() {
  if "${@:2}"; then passed=$((passed + 1)) && echo "ok: $1"
  else failed=$((failed + 1)) && echo "FAILED: $1"; fi
}
expect_equal() {  # DESCRIPTION ACTUAL EXPECTED
  if [ "$2" == "$3" ]; then check "$1" true; else check "$1 (got '$2', expected '$3')" false; fi
}
holds() { awk "BEGIN { exit !($*) }"; }  # holds EXPRESSION: an awk comparison
# readme_commands NAME: the commands of README.md's code blocks that run the program NAME, by path
# or not, one a line as written there: continuation lines joined, the comment after one dropped.
readme_commands() {
  awk -v name="$1" '/^```/ { block = !block; next }
    block && sub(/\\$/, "") { part = part $0; next }
    block { $0 = part $0; part = ""; sub(/[ \t]+#.*/, ""); n = split($1, path, "/") }
    block && path[n] == name' "$readme_md"
}
readme_md=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/README.md
finish() { echo "$passed passed, $failed failed" && [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]; }

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
# without_audio COMMAND...: COMMAND with Wine's audio drivers disabled, as without a sound device.
without_audio() { WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv,winealsa.drv,wineoss.drv=d" "$@"; }

reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }
# settings [NAME VALUE]...: only these REG_DWORD values (hex:BYTES: REG_BINARY; PasswordDelay: the
# system's "Password Delay") in the saver's key.
settings() {
  reg delete 'HKCU\Software\n3v' /f
  reg delete "$system_key" /v "Password Delay" /f
  for ((; $# >= 2; )); do
    if [ "$1" = PasswordDelay ]; then reg add "$system_key" /v "Password Delay" /t REG_DWORD /d "$2" /f
    elif [[ $2 == hex:* ]]; then reg add "$saver_key" /v "$1" /t REG_BINARY /d "${2#hex:}" /f
    else reg add "$saver_key" /v "$1" /t REG_DWORD /d "$2" /f; fi
    shift 2
  done
}
# stored: the saver's values as NAME TYPE DATA; dwords ROTATE P0 ... P9: eleven such REG_DWORDs.
stored() { timeout 60 wine reg query "$saver_key" | tr -d '\r' | awk 'NF == 3 { print $1, $2, $3 }' | sort; }
dwords() {
  local values=("$@") i=0 name
  for name in Rotate Param{0..9}; do printf '%s REG_DWORD 0x%x\n' "$name" $((values[i++] & 0xffffffff)); done | sort
}

drive() { wine_run 120 "$driver" "$@" 2>/dev/null | tr -d '\r'; }  # the report, without CRs
# start_saver LOG [X Y]: ostinel.scr /s watched by the driver in the background, report in LOG,
# pointer at X, Y (the middle of the screen); false when its window does not show within 20 s.
start_saver() {
  xdotool mousemove "${2:-640}" "${3:-512}" && log=$1
  wine_run 120 "$driver" run "$scr" 60 >"$log" 2>/dev/null &
  driver_pid=$! && wait_for '^ready' 20
}
# report: the saver's report; wait_for REGEX SECONDS; value REGEX NAME: a field of the first match.
report() { tr -d '\r' <"$log"; }
wait_for() {
  for _ in $(seq $(($2 * 20))); do report | grep -qE "$1" && return 0; sleep 0.05; done
  return 1
}
value() { report | grep -m1 -E "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
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
