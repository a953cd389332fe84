# The saver's settings code against Wine's real registry: what it loads from values written with
# `reg add`, and what its save leaves in the registry.
probe="$OSTINEL_BUILD/probe.exe"
saver_key='HKCU\Software\n3v\OSTINEL\1'
system_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'

reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }
load() { wine_run 30 "$probe" load | tr -d '\r'; }

reg delete 'HKCU\Software\n3v' /f
reg delete "$system_key" /v "Password Delay" /f
expect_equal "defaults with no keys" "$(load)" \
  "passwordDelay=15 mouseThreshold=50 useMouse=1 params=0,0,0,0,0,0,0,0,0,0"

reg add "$system_key" /v "Password Delay" /t REG_DWORD /d 0 /f
reg add "$saver_key" /v Rotate /t REG_DWORD /d 0 /f
reg add "$saver_key" /v Param0 /t REG_DWORD /d 9 /f
reg add "$saver_key" /v Param1 /t REG_DWORD /d 4294967295 /f
reg add "$saver_key" /v Param2 /t REG_BINARY /d 3412 /f      # two bytes: 0x1234
reg add "$saver_key" /v Param3 /t REG_QWORD /d 2 /f          # eight bytes: not taken
reg add "$saver_key" /v Param5 /t REG_DWORD /d 123 /f
expect_equal "stored values as the saver loads them" "$(load)" \
  "passwordDelay=0 mouseThreshold=50 useMouse=0 params=9,-1,4660,0,0,123,0,0,0,0"

wine_run 30 "$probe" save 1 2 1 2 0 >/dev/null
values=$(timeout 60 wine reg query "$saver_key" | tr -d '\r' | awk 'NF == 3 { print $1, $2, $3 }' | sort)
expected=$(sort <<'VALUES'
Rotate REG_DWORD 0x1
Param0 REG_DWORD 0x2
Param1 REG_DWORD 0x1
Param2 REG_DWORD 0x2
Param3 REG_DWORD 0x0
Param4 REG_DWORD 0x0
Param5 REG_DWORD 0x7b
Param6 REG_DWORD 0x0
Param7 REG_DWORD 0x0
Param8 REG_DWORD 0x0
Param9 REG_DWORD 0x0
VALUES
)
expect_equal "a save leaves exactly eleven REG_DWORD values, Param5 carried" "$values" "$expected"
expect_equal "the next start loads what was saved" "$(load)" \
  "passwordDelay=0 mouseThreshold=50 useMouse=1 params=2,1,2,0,0,123,0,0,0,0"

reg delete 'HKCU\Software\n3v' /f
wine_run 30 "$probe" save 0 3 0 0 1 >/dev/null
expect_equal "a save creates the key and the keys above it" \
  "$(load)" "passwordDelay=0 mouseThreshold=50 useMouse=0 params=3,0,0,1,0,0,0,0,0,0"
reg delete "$system_key" /v "Password Delay" /f

# A file named like a password library, planted beside the program and in the current directory,
# is loaded by a bare name but never by the saver's loader.
plant="$OSTINEL_E2E_STATE/plant"
rm -rf "$plant" && mkdir -p "$plant"
cp "$probe" "$plant/probe.exe"
cp "$OSTINEL_BUILD/planted.dll" "$plant/PASSWORD.CPL"
cd "$plant" || exit 1
expect_equal "the planted file is there to be found by a bare name" \
  "$(wine_run 30 ./probe.exe bare-library PASSWORD.CPL | tr -d '\r')" loaded
expect_equal "the saver's loader does not take the planted file" \
  "$(wine_run 30 ./probe.exe library PASSWORD.CPL | tr -d '\r')" missing
expect_equal "the saver's loader finds the system's MPR.DLL" \
  "$(wine_run 30 ./probe.exe library MPR.DLL | tr -d '\r')" loaded
cd - >/dev/null || exit 1
