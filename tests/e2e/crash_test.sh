# A crashing Windows program ends with a failure code instead of waiting in a debugger.
wine_run 60 "$OSTINEL_BUILD/crash.exe"
code=$?
check "a crash ends the process (exit code $code)" test "$code" -ne 0 -a "$code" -ne 124
