# The zip, and the setup program run silently as a deploying administrator does: installed twice,
# the installed saver run, uninstalled with Ostinel current and with another saver current.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$OSTINEL_BUILD/CMakeCache.txt")
zip="$OSTINEL_BUILD/dist/ostinel-$version-win64.zip"
setup="$OSTINEL_BUILD/dist/ostinel-$version-setup.exe"
scr='C:\windows\system32\ostinel.scr'
installed="$WINEPREFIX/drive_c/windows/system32/ostinel.scr"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ostinel'
desktop='HKCU\Control Panel\Desktop'
# reg ARGS...: what wine's reg prints, only when it succeeds (a missing key prints an error).
reg() { local out; out=$(timeout 60 wine reg "$@" 2>/dev/null) && tr -d '\r' <<<"$out"; }
value() { reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# uninstall: the quiet command of Apps & Features; the uninstaller ends in a copy of itself.
uninstall() {
  local command path
  command=$(value "$entry" QuietUninstallString) && path=${command#\"} && path=${path%%\"*}
  wine_run 60 "$path" "${command##*\" }"
  path=$(winepath -u "$path" 2>/dev/null)
  for _ in $(seq 120); do [ -e "$path" ] || [ -n "$(reg query "$entry")" ] || break; sleep 0.5; done
  check "the uninstaller removes itself and its Apps & Features entry" \
    test -n "$path" -a ! -e "$path" -a -z "$(reg query "$entry")"
}
reg delete "$entry" /f >/dev/null; rm -f "$installed"
reg add 'HKCU\Software\n3v\OSTINEL\1' /v Param0 /t REG_DWORD /d 3 /f >/dev/null

expect_equal "the zip's files" "$(unzip -Z1 "$zip" | sort | xargs)" "README.txt ostinel.scr"
check "the zip's .scr is the build's" \
  cmp -s <(unzip -p "$zip" ostinel.scr) "$OSTINEL_BUILD/ostinel.scr"
check "README.txt has Windows line ends" test "$(unzip -p "$zip" README.txt | grep -cv $'\r$')" = 0
check "the setup program's version is $version" grep -qx "$version" <(strings -el "$setup")

for round in first second; do
  wine_run 120 "$setup" /S
  check "the $round silent install ends with 0" test $? -eq 0
  check "it puts the build's .scr in the 64-bit system folder" \
    cmp -s "$installed" "$OSTINEL_BUILD/ostinel.scr"
  expect_equal "the current screen saver" \
    "$(value "$desktop" SCRNSAVE.EXE) $(value "$desktop" ScreenSaveActive)" "$scr 1"
  expect_equal "Apps & Features holds the version" "$(value "$entry" DisplayVersion)" "$version"
  [ $round = first ] && echo broken >"$installed"  # the second install replaces it
done

log="$OSTINEL_E2E_STATE/installed-saver.txt"
xdotool mousemove 640 512
wine_run 90 "$driver" run "$scr" 60 2>/dev/null | tr -d '\r' >"$log" &
for _ in $(seq 300); do grep -q '^ready' "$log" && break; sleep 0.1; done
xdotool key a; wait $!
screen=$(sed -n 's/^window .* screen=\([0-9]*\),\([0-9]*\)$/0,0,\1,\2/p' "$log")
expect_equal "the installed saver covers the screen" \
  "$(grep -o ' rect=[0-9,]*' "$log")" " rect=$screen"
expect_equal "a key ends it with 0" "$(grep -o '^exit=[0-9]*' "$log")" exit=0

uninstall
check "the uninstaller removes the .scr" test ! -e "$installed"
expect_equal "the screen saver is switched off" \
  "$(value "$desktop" SCRNSAVE.EXE)$(value "$desktop" ScreenSaveActive)" 0
expect_equal "the user's settings stay" "$(value 'HKCU\Software\n3v\OSTINEL\1' Param0)" 0x3

other='C:\windows\other.scr'
wine_run 120 "$setup" /S && reg add "$desktop" /v SCRNSAVE.EXE /d "$other" /f >/dev/null
uninstall
expect_equal "another screen saver stays current" "$(value "$desktop" SCRNSAVE.EXE)" "$other"
reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null; reg delete 'HKCU\Software\n3v' /f >/dev/null
