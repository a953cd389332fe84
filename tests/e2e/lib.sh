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
