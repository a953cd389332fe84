# Helpers of the Wine tests, sourced by fixture.sh before a test script (and by tools/run-saver.sh).
source "$(dirname "${BASH_SOURCE[0]}")/../support/lib.sh"
[ -n "${OSTINEL_BUILD:-}" ] && driver="$OSTINEL_BUILD/driver.exe" scr="$OSTINEL_BUILD/ostinel.scr"
saver_key='HKCU\Software\n3v\OSTINEL\1'
system_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'

# wine_run SECONDS PROGRAM [ARGS...]: a Windows program under Wine, ended after SECONDS (code 124).
wine_run() { timeout -k 5 "$1" wine "${@:2}"; }
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
