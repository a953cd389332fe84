#!/usr/bin/env bash
# No writable data at namespace scope below the shells: the saver's state is a value its shell owns.
# Lists every writable object (nm: B, b, D, d) of the libraries given, function-local statics'
# guard variables and the sanitizers' own aside, and fails when there is one.
#   check_globals.sh LIBRARY...
set -uo pipefail
found=$(for library in "$@"; do
  nm -C "$library" | awk -v lib="${library##*/}" '$2 ~ /^[BbDd]$/ { $1 = $2 = ""; print lib ":" $0 }'
done | grep -vE '__odr_asan|__asan|__ubsan|guard variable|:  *\.' | sort -u)
if [ -n "$found" ]; then
  echo "writable globals below the shells:"
  echo "$found"
  exit 1
fi
