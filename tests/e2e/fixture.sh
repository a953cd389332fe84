#!/usr/bin/env bash
# The environment of the Windows build's tests: a Wine prefix inside the build tree, made once, a
# virtual X server and an audio sink, started before the tests and stopped after.
#   fixture.sh setup   BUILD_DIR          start the services; make the prefix if there is none
#   fixture.sh cleanup BUILD_DIR          stop the services
#   fixture.sh run     BUILD_DIR SCRIPT   run a test script inside the environment, with lib.sh
#   fixture.sh exec    BUILD_DIR CMD ...  run a command inside the environment
#   fixture.sh prefix  BUILD_DIR          only make the prefix and the environment file (for a run on
#                                         the caller's own display)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
action=${1:?action}
build=$(cd "${2:?build directory}" && pwd)
state="$build/e2e"
envfile="$state/environment.sh"

# A daemon fully detached from the caller's output, so that CTest does not wait on it.
daemon() {
  local name=$1
  shift
  setsid "$@" </dev/null >"$state/$name.log" 2>&1 &
  echo $! >"$state/$name.pid"
}

stop() {
  [ -f "$state/$1.pid" ] || return 0
  local pid
  pid=$(cat "$state/$1.pid") && rm -f "$state/$1.pid"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

start_xvfb() {
  # -displayfd picks a free display and writes its number once the server accepts clients.
  rm -f "$state/xvfb.display"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    </dev/null >"$state/xvfb.log" 2>&1 3>"$state/xvfb.display" &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/xvfb.display" ] && break; sleep 0.1; done
  [ -s "$state/xvfb.display" ] || { cat "$state/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  echo "export DISPLAY=:$(head -n1 "$state/xvfb.display")" >>"$envfile"
}

# A private PulseAudio daemon whose default sink `cap` is a null sink paced in real time: Wine plays
# into it, a test records its monitor. Anonymous access and a cookie of the fixture's keep the
# clients off $HOME; root is refused a session daemon only as a warning.
start_pulse() {
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

# The environment file every test sources: no Mono or Gecko download prompts, and no debugger (a
# crash ends the process); then the prefix.
configure() {
  mkdir -p "$state"
  export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  echo "export WINEPREFIX='$WINEPREFIX' WINEARCH=$WINEARCH WINEDEBUG='$WINEDEBUG'" \
    "WINEDLLOVERRIDES='$WINEDLLOVERRIDES'" >"$envfile"
}

prefix() {
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
  # shellcheck disable=SC1090
  [ -f "$envfile" ] && (source "$envfile" && timeout 30 wineserver -k 2>/dev/null || true)
  stop wineserver && stop pulse && stop xvfb
}

environment() {
  [ -f "$envfile" ] || { echo "the test environment is not set up: run '$0 setup $build'" >&2; exit 1; }
  # shellcheck disable=SC1090
  source "$envfile"
}

case "$action" in
  setup)
    mkdir -p "$state" && cleanup && configure && start_xvfb && start_pulse && environment && prefix
    # One persistent Wine server keeps each program's start quick. The session's system processes
    # start here, their output in a log: started by a test's program, they would hold its output
    # open and CTest would wait for them.
    daemon wineserver wineserver -f -p
    timeout -k 10 120 wine wineboot </dev/null >>"$state/wineboot.log" 2>&1
    ;;
  prefix) configure && prefix ;;
  exec) shift 2 && environment && exec "$@" ;;
  cleanup) cleanup && rm -f "$envfile" ;;
  run)
    shift 2 && environment
    export OSTINEL_BUILD="$build" OSTINEL_E2E_STATE="$state"
    # shellcheck disable=SC1091
    source "$here/lib.sh"
    set +e  # a test counts its own failures
    # shellcheck disable=SC1090
    source "$@"
    finish
    ;;
  *) echo "unknown action: $action" >&2 && exit 2 ;;
esac
