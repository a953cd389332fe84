#!/usr/bin/env bash
# The .deb as a user installs it: its files, its manual pages as man shows them, its changelog and
# maintainer; then Debian's checker lintian, when installed, with no error and no warning.
#   package_test.sh BUILD-DIR VERSION MAINTAINER LICENSE
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../support/lib.sh"
build=$1 version=$2 maintainer=$3 license=$4
work=$build/tests/linux/package/work
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

deb=ostinel_${version}_amd64.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >cpack.out 2>&1
check "cpack makes $deb" [ -f "$deb" ]
expect_equal "its files" "$(dpkg-deb -c "$deb" | awk '!/^d/ { print $1, $6 }' | sort)" \
  "$(sort <<LIST
-rwxr-xr-x ./usr/bin/ostinel-render
-rwxr-xr-x ./usr/libexec/xscreensaver/ostinel
-rw-r--r-- ./usr/share/xscreensaver/config/ostinel.xml
-rw-r--r-- ./usr/share/man/man1/ostinel-render.1.gz
-rw-r--r-- ./usr/share/man/man6/ostinel.6x.gz
-rw-r--r-- ./usr/share/doc/ostinel/changelog.gz
-rw-r--r-- ./usr/share/doc/ostinel/copyright
LIST
)"
dpkg-deb -x "$deb" root && cd root/usr/share || exit 1

# gzip -9n: deflate, no flags (no name), no time, maximum compression, Unix.
for file in man/man1/ostinel-render.1.gz man/man6/ostinel.6x.gz doc/ostinel/changelog.gz; do
  expect_equal "$file: gzip -9n" "$(od -An -tx1 -N10 "$file" | tr -d ' ')" 1f8b0800000000000203
done

# Each page renders without a warning and names exactly its program's options (but --help).
options() { grep -o -- '--[a-z][a-z-]*' | grep -vx -- --help | sort -u; }
while read -r page program; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "man/$page.gz" 2>&1 >page.txt)
  expect_equal "$page: man -l gives no warning" "$warnings" ""
  expect_equal "$page: the options of --help" "$(options <page.txt)" "$("../$program" --help | options)"
done <<LIST
man1/ostinel-render.1 bin/ostinel-render
man6/ostinel.6x libexec/xscreensaver/ostinel
LIST

zcat doc/ostinel/changelog.gz >changelog
expect_equal "the changelog's version and signature" \
  "$(dpkg-parsechangelog -l changelog -S Version)|$(dpkg-parsechangelog -l changelog -S Maintainer)" \
  "$version|$maintainer"
expect_equal "the package's version and maintainer" \
  "$(dpkg-deb -f "$work/$deb" Version)|$(dpkg-deb -f "$work/$deb" Maintainer)" "$version|$maintainer"
check "copyright is the licence" cmp -s doc/ostinel/copyright "$license"

if command -v lintian >/dev/null; then
  lintian "$work/$deb" >"$work/lintian.out" 2>/dev/null
  status=$?  # 1: lintian itself failed
  check "lintian runs (exit $status)" [ $status -ne 1 ]
  sed 's/^/lintian: /' "$work/lintian.out"
  expect_equal "lintian: no error, no warning" "$(grep -E '^[EW]: ' "$work/lintian.out")" ""
fi
finish
