#!/usr/bin/env bash
# Runs the built ostinel.scr full screen (/s) under Wine: on the current display when there is one;
# otherwise for 15 s on a virtual X server, with Space pressed early, leaving a screenshot and a
# recording of the sound in out/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fixture="$root/tests/e2e/fixture.sh"

# The run without a display, inside the test environment (re-entered through fixture.sh exec).
if [ "${1:-}" = --session ]; then
  scr=$2
  out=$3
  # shellcheck disable=SC1091
  source "$root/tests/e2e/lib.sh"
  start_capture "$out/audio.wav"
  timeout -k 5 60 wine "$scr" /s &
  saver=$!
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^SaverWindow$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 2
  xdotool key space  # fills the pattern: from here on the drums play
  sleep 11
  import -window root "$out/screenshot.png"
  sleep 2
  xdotool key Escape
  status=0
  wait "$saver" || status=$?
  stop_capture
  echo "ostinel.scr /s ended with exit code $status"
  exit "$status"
fi

build=$(cd "${1:-$root/build/windows}" && pwd)
scr="$build/ostinel.scr"
# An environment of its own beside the tests' (build/windows/e2e): its own Wine prefix and server,
# X server and sound sink, so that a test run on the same build at the same time is left alone.
# Its prefix is made on the first run and kept.
session="$build/run"
mkdir -p "$session"

if [ -n "${DISPLAY:-}" ]; then
  bash "$fixture" prefix "$session"
  echo "running $scr /s on $DISPLAY"
  bash "$fixture" exec "$session" wine "$scr" /s
  exit
fi

for tool in xdotool import sox parec; do
  command -v "$tool" >/dev/null || { echo "make run without a display needs $tool" >&2; exit 1; }
done
out="$root/out"
mkdir -p "$out"
rm -f "$out/screenshot.png" "$out/audio.wav"
echo "no display: running $scr /s for 15 s on a virtual X server, Space pressed after 2 s"
# Cleaned up however the run ends, a failed set-up included.
trap 'bash "$fixture" cleanup "$session"' EXIT
bash "$fixture" setup "$session"
status=0
bash "$fixture" exec "$session" bash "$root/tools/run-saver.sh" --session "$scr" "$out" || status=$?
for file in screenshot.png audio.wav; do
  if [ -s "$out/$file" ]; then
    echo "left ${out#"$root"/}/$file ($out/$file)"
  else
    echo "no ${out#"$root"/}/$file was made" >&2
    status=1
  fi
done
exit "$status"
