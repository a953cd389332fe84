# Helpers for the Wine tests, sourced by fixture.sh before a test script.

passed=0
failed=0

# wine_run SECONDS PROGRAM [ARGS...]: runs a Windows program under Wine and ends it after SECONDS.
# Returns the program's exit code, or 124 when it had to be ended.
wine_run() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" wine "$@"
}

# check DESCRIPTION COMMAND...: one assertion, passed when COMMAND succeeds.
check() {
  local description=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $description"
  else
    failed=$((failed + 1))
    echo "FAILED: $description"
  fi
}

# expect_equal DESCRIPTION ACTUAL EXPECTED
expect_equal() {
  if [ "$2" == "$3" ]; then
    check "$1" true
  else
    check "$1 (got '$2', expected '$3')" false
  fi
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

# start_capture FILE: records what Wine plays into the fixture's sink as a 44100 Hz 16-bit stereo
# WAV file, until stop_capture. An idle null sink renders in blocks of up to 2 s and recording
# starts only when the block ends, so this returns once samples flow: from then on the sink keeps
# real time for Wine too.
start_capture() {
  capture_file=$1
  rm -f "$capture_file"
  env -u PULSE_LATENCY_MSEC parec --device=cap.monitor --latency-msec=20 --file-format=wav \
    --rate=44100 --channels=2 --format=s16le "$capture_file" &
  capture_pid=$!
  for _ in $(seq 100); do
    [ "$(stat -c %s "$capture_file" 2>/dev/null || echo 0)" -gt 8864 ] && return 0
    sleep 0.05
  done
  echo "the capture did not start" >&2
  return 1
}

stop_capture() {
  sleep 0.5  # what the sink still holds
  kill -INT "$capture_pid" 2>/dev/null
  wait "$capture_pid" 2>/dev/null
  return 0
}

# without_audio COMMAND...: runs COMMAND with Wine's audio drivers disabled, as on a machine without
# a sound device.
without_audio() {
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv,winealsa.drv,wineoss.drv=d" "$@"
}
