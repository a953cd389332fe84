#!/usr/bin/env bash
# Runs the built ostinel.scr full screen (/s) under Wine: on the current display when there is one,
# otherwise on a virtual X server of the test environment.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/windows}
fixture="$root/tests/e2e/fixture.sh"
scr="$build/ostinel.scr"

if [ -n "${DISPLAY:-}" ]; then
  bash "$fixture" prefix "$build"
  echo "running $scr /s on $DISPLAY"
  bash "$fixture" exec "$build" wine "$scr" /s
else
  echo "no display: running $scr /s on a virtual X server"
  bash "$fixture" setup "$build"
  trap 'bash "$fixture" cleanup "$build"' EXIT
  status=0
  bash "$fixture" exec "$build" timeout -k 5 15 wine "$scr" /s || status=$?
  echo "ostinel.scr /s ended with exit code $status"
fi
