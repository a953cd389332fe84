#!/usr/bin/env bash
# shellcheck disable=SC1090,SC1091
# The environment of the Windows build's tests: a Wine prefix in the build tree, made once, a
# virtual X server and an audio sink, started before the tests and stopped after.
#   fixture.sh setup|cleanup BUILD_DIR    start the services (making the prefix if needed) | stop them
#   fixture.sh run BUILD_DIR SCRIPT       run a test script in the environment, with lib.sh
#   fixture.sh exec BUILD_DIR CMD...      run a command in the environment
#   fixture.sh prefix BUILD_DIR           only the prefix and the environment (for the caller's display)
set -euo pipefail
build=$(cd "${2:?build directory}" && pwd)
state="$build/e2e"
envfile="$state/environment.sh"

# daemon NAME COMMAND...: fully detached from the caller's output, so that CTest does not wait on it.
daemon() {
  setsid "${@:2}" </dev/null >"$state/$1.log" 2>&1 &
  echo $! >"$state/$1.pid"
}
stop() {
  local pid
  pid=$(cat "$state/$1.pid" 2>/dev/null) && rm -f "$state/$1.pid" && kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}
# The environment file every test sources: no Mono or Gecko prompts, no debugger (crashes end).
configure() {
  mkdir -p "$state"
  echo "export WINEPREFIX='$state/prefix' WINEARCH=win64 WINEDEBUG=-all" \
    "WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d'" >"$envfile"
}
start_services() {
  # Xvfb's -displayfd picks a free display and writes its number once the server accepts clients.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    </dev/null >"$state/xvfb.log" 2>&1 3>"$state/xvfb.display" &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/xvfb.display" ] && break; sleep 0.1; done
  [ -s "$state/xvfb.display" ] || { cat "$state/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  echo "export DISPLAY=:$(head -n1 "$state/xvfb.display")" >>"$envfile"
  # A private PulseAudio daemon, its default sink `cap` a null sink paced in real time that a test
  # records; its own cookie and anonymous access keep clients off $HOME (root: only a warning).
  local dir="$state/pulse"
  local client=(env "PULSE_SERVER=unix:$dir/native" "PULSE_COOKIE=$dir/cookie")
  rm -rf "$dir" && mkdir -p "$dir/runtime" "$dir/home"
  HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" daemon pulse pulseaudio --daemonize=no \
    --exit-idle-time=-1 --use-pid-file=no -n \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    --load="module-null-sink sink_name=cap rate=44100 channels=2"
  for _ in $(seq 100); do "${client[@]}" pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  "${client[@]}" pactl set-default-sink cap ||
    { cat "$state/pulse.log" >&2; echo "PulseAudio did not start" >&2; return 1; }
  # With its default request Wine's stream runs so short that a busy machine drops bits of sound.
  echo "export XDG_RUNTIME_DIR='$dir/runtime' PULSE_SERVER='unix:$dir/native'" \
    "PULSE_COOKIE='$dir/cookie' PULSE_LATENCY_MSEC=60" >>"$envfile"
}
environment() {
  [ -f "$envfile" ] || { echo "the test environment is not set up: run '$0 setup $build'" >&2; exit 1; }
  source "$envfile"
}
prefix() {
  environment
  [ -f "$WINEPREFIX/.ostinel-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  echo "creating the Wine prefix in $WINEPREFIX" >&2
  timeout -k 10 600 wineboot -i >"$state/wineboot.log" 2>&1
  local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
  timeout 60 wine reg add "$aedebug" /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1
  timeout 60 wine reg add "$aedebug" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$WINEPREFIX/.ostinel-ready"
}
cleanup() {
  [ -f "$envfile" ] && (source "$envfile" && timeout 30 wineserver -k 2>/dev/null || true)
  stop wineserver && stop pulse && stop xvfb
}

case "${1:?action}" in
  setup)
    mkdir -p "$state" && cleanup && configure && start_services && prefix
    # One Wine server for the run keeps starts quick; the session's processes start here, not in a
    # test, where they would hold its output open and CTest would wait.
    daemon wineserver wineserver -f -p
    timeout -k 10 120 wine wineboot </dev/null >>"$state/wineboot.log" 2>&1
    ;;
  prefix) configure && prefix ;;
  exec) environment && exec "${@:3}" ;;
  cleanup) cleanup && rm -f "$envfile" ;;
  run)
    environment
    export OSTINEL_BUILD="$build" OSTINEL_E2E_STATE="$state"
    source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
    set +e  # a test counts its own failures
    source "${@:3}"
    finish
    ;;
  *) echo "unknown action: $1" >&2 && exit 2 ;;
esac
