# ostinel.scr under Wine as the system runs it: command lines that run nothing, a crash, the
# resources, the saver's settings code against Wine's registry, and a planted password library.
for arguments in "/x" "/1234" "//s" "/" "-" "/a" "/A" "/a 77"; do
  # shellcheck disable=SC2086  # "/a 77" is two arguments
  wine_run 30 "$scr" $arguments
  expect_equal "ostinel.scr $arguments exits with 0 by itself" "$?" 0
done
code=0 && wine_run 60 "$driver" crash 2>/dev/null || code=$?
check "a crash ends the process (exit code $code), no debugger waits" test "$code" -ne 0 -a "$code" -ne 124

# The resources as the system's loader reads them: the settings dialog's template, its picture, the
# icons, the description, the samples byte for byte at their ids (no 156), the version.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$OSTINEL_BUILD/CMakeCache.txt")
expect_equal "the resources of ostinel.scr" \
  "$(drive resources "$scr" "Z:$(dirname "${BASH_SOURCE[0]}")/../../resources/samples")" "$(cat <<RESOURCES
dialog ver=1 signature=0xffff help=0 ex=0x80 style=0x80c800c0 items=27 rect=0,0,223,194 menu=0 class=0 caption=Ostinel screen saver font=9,0,0,1,Arial
bitmap 133x100 planes=1 bits=24 compression=0 bytes=40040
icon 32x32 colours=16 planes=1 bits=4 image=32x64,4 same_size=1
icon 16x16 colours=16 planes=1 bits=4 image=16x32,4 same_size=1
string1=LUMENFOLD no.3
waves 133 134 135 136 137 138 139 140 141 142 143 144 145 146 147 148 149 150 151 152 153 154 155 157 158
version FileVersion=$version FileDescription=Ostinel screen saver OriginalFilename=ostinel.scr LegalCopyright=(c) 2026 the Ostinel team ProductName=Ostinel fixed=$version.0
RESOURCES
)"

# The settings as the saver loads them: defaults, values as stored (two bytes are taken, eight are
# not); a save leaves exactly the eleven REG_DWORD values, Param5 carried, and makes the key.
settings
expect_equal "defaults with no keys" "$(drive load)" \
  "passwordDelay=15 mouseThreshold=50 useMouse=1 params 0 0 0 0 0 0 0 0 0 0"
settings PasswordDelay 0 Rotate 0 Param0 9 Param1 4294967295 Param2 hex:3412 Param5 123
reg add "$saver_key" /v Param3 /t REG_QWORD /d 2 /f
expect_equal "stored values as loaded" "$(drive load)" \
  "passwordDelay=0 mouseThreshold=50 useMouse=0 params 9 -1 4660 0 0 123 0 0 0 0"
drive save 1 2 1 2 0 >/dev/null
expect_equal "a save leaves eleven REG_DWORD values" "$(stored)" "$(dwords 1 2 1 2 0 0 123 0 0 0 0)"
expect_equal "the next start loads what was saved" "$(drive load)" \
  "passwordDelay=0 mouseThreshold=50 useMouse=1 params 2 1 2 0 0 123 0 0 0 0"
reg delete 'HKCU\Software\n3v' /f
drive save 0 3 0 0 1 >/dev/null
expect_equal "a save creates the key" "$(stored)" "$(dwords 0 3 0 0 1 0 0 0 0 0 0)"
settings

# A PASSWORD.CPL beside the program and in the current directory loads by a bare name, never
# through the saver's loader, which still finds the system's MPR.DLL.
plant="$OSTINEL_E2E_STATE/plant"
rm -rf "$plant" && mkdir -p "$plant" && cp "$driver" "$plant/" && cp "$OSTINEL_BUILD/planted.dll" "$plant/PASSWORD.CPL"
cd "$plant" && driver=./driver.exe
expect_equal "the planted file loads by a bare name" "$(drive bare PASSWORD.CPL)" loaded
expect_equal "the saver's loader does not take it" "$(drive library PASSWORD.CPL)" missing
expect_equal "the saver's loader finds MPR.DLL" "$(drive library MPR.DLL)" loaded
