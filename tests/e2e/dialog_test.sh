# The settings dialog as the system's screen-saver settings open it: its controls, what it shows
# for stored values, what OK, Enter, Cancel, Escape and the close box leave in the registry, and
# its owner for each way of being started.
saver=$(winepath -w "$scr" | tr -d '\r')
work="$OSTINEL_E2E_STATE/dialog"
rm -rf "$work" && mkdir -p "$work"
out="$work/report.txt"

# The controls in the template's order: id, class, style, place and size in dialog units, text. A
# checked radio takes the tab stop; a picture takes its bitmap's size in pixels.
controls=$(cat <<'CONTROLS'
1011 Button 0x50030009 75,140,36,8 sparse
1021 Button 0x50000009 75,150,36,8 midium
1022 Button 0x50000009 75,160,45,8 nearly full
1 Button 0x50010001 185,145,30,12 OK
2 Button 0x50010000 185,160,30,14 Cancel
1000 Button 0x50012003 130,138,50,30 Use Mouse (L-drag to Rotate)
-1 Static 0x5000080e 13,21,133x100px
-1 Static 0x50021201 22,9,60,8 Ostinel
1005 Button 0x50030009 75,95,36,8 slow
1006 Button 0x50000009 75,105,36,8 midium
1007 Button 0x50000009 75,115,36,8 fast
-1 Button 0x50000007 70,85,55,45 Transient Spd
-1 Static 0x50021000 97,7,118,70 Ostinel 1.0, a drum machine\n(c) 2026 the Ostinel team\nDrums synthesized in code\n\nusage:\n Down arrow / R click : Reset matrix\n Space : Transform matrix\n Enter : Toggle day/night
-1 Button 0x50000007 10,85,55,90 Beat Spd(BPM)
1012 Button 0x50030009 13,97,43,10 60
1013 Button 0x50000009 13,107,43,10 80
1014 Button 0x50000009 13,117,43,10 100
1015 Button 0x50000009 13,127,43,10 120
1016 Button 0x50000009 13,137,43,10 140
1017 Button 0x50000009 13,147,43,10 160
1018 Button 0x50000009 13,157,43,10 180
-1 Button 0x50000007 70,130,55,45 Matrix Density
-1 Button 0x50000007 130,85,55,45 Table Rotation
1019 Button 0x50030009 135,95,45,10 off
1020 Button 0x50000009 135,105,45,10 on
1023 Button 0x50000009 135,115,45,10 agressive
-1 Static 0x50021001 10,180,205,10 Thanks for downloading!  I am waiting for your comment!
CONTROLS
)

# NAME|SETTINGS|ARGUMENTS ("HWND": the driver's window; "-": none)|ACTIONS|the buttons checked
# when it opens|and at "show"|what is stored after: none (no key), same (byte for byte), or the
# eleven REG_DWORD values Rotate, Param0 ... Param9
while IFS='|' read -r -u 3 name seeded arguments actions opened shown saved; do
  settings $seeded
  reg export "$saver_key" "$work/before.reg" /y
  # shellcheck disable=SC2086  # the actions are words
  drive dialog "$saver" "$arguments" $actions >"$out"
  owner=driver enabled=0
  [ "$arguments" = - ] && owner=none enabled=1
  expect_equal "$name: the dialog (owner $owner, disabled meanwhile; the focus on OK) ends with 0" \
    "$(grep -E '^(open|end)' "$out")" "open foreground=1 owner=$owner owner_enabled=$enabled focus=1 \
caption=Ostinel screen saver"$'\n'"end exit=0 owner_enabled=1"
  expect_equal "$name: the buttons shown" "$(grep -m1 ^checked "$out")" "checked $opened"
  [ "$shown" = - ] || expect_equal "$name: the clicks take" "$(grep ^checked "$out" | tail -n1)" "checked $shown"
  [ "$name" = "no key" ] && expect_equal "the controls" "$(sed -n 's/^control //p' "$out")" "$controls"
  case $saved in
    none) check "$name: no key is made" bash -c "! timeout 60 wine reg query '$saver_key' >/dev/null 2>&1" ;;
    same) reg export "$saver_key" "$work/after.reg" /y
      check "$name: nothing is written" cmp -s "$work/before.reg" "$work/after.reg" ;;
    *) expect_equal "$name: what is stored" "$(stored)" "$(dwords $saved)" ;;
  esac
done 3<<'CASES'
no key||/c:HWND|cancel|1000 1005 1011 1012 1019|-|none
out of range|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param4 4 Param5 123 Param6 4294967295 Param8 hex:3412 Param9 9|/c:HWND|click 1016 click 1007 click 1021 click 1023 click 1000 show ok|1000 1006 1011 1018|1007 1016 1021 1023|0 4 2 1 2 4 123 -1 0 4660 9
tempo 0|Rotate 0 Param0 0 Param1 0 Param2 1 Param3 2|/c:HWND|click 1015 click 1006 click 1011 click 1000 ok|1005 1012 1021 1023|-|1 3 1 0 2 0 0 0 0 0 0
tempo 1|Rotate 0 Param0 1 Param1 1 Param2 2 Param3 0|/c:HWND|click 1016 click 1007 click 1021 click 1000 ok|1006 1013 1019 1022|-|1 4 2 1 0 0 0 0 0 0 0
tempo 2|Rotate 0 Param0 2 Param1 2 Param2 0 Param3 1|/c:HWND|click 1017 click 1005 click 1022 click 1000 ok|1007 1011 1014 1020|-|1 5 0 2 1 0 0 0 0 0 0
tempo 3|Rotate 0 Param0 3 Param1 0 Param2 1 Param3 2|/c:HWND|click 1018 click 1006 click 1011 click 1000 ok|1005 1015 1021 1023|-|1 6 1 0 2 0 0 0 0 0 0
tempo 4|Rotate 0 Param0 4 Param1 1 Param2 2 Param3 0|/c:HWND|click 1012 click 1007 click 1021 click 1000 ok|1006 1016 1019 1022|-|1 0 2 1 0 0 0 0 0 0 0
tempo 5|Rotate 0 Param0 5 Param1 2 Param2 0 Param3 1|/c:HWND|click 1013 click 1005 click 1022 click 1000 ok|1007 1011 1017 1020|-|1 1 0 2 1 0 0 0 0 0 0
tempo 6|Rotate 0 Param0 6 Param1 0 Param2 1 Param3 2|/c:HWND|click 1014 click 1006 click 1011 click 1000 ok|1005 1018 1021 1023|-|1 2 1 0 2 0 0 0 0 0 0
empty groups|Rotate 0 Param0 4294967295 Param1 3 Param2 4294967291 Param3 0|/c:HWND|ok|1018 1019|-|0 6 2 2 0 0 0 0 0 0 0
Enter|Param0 2|/c:HWND|click 1014 click 1022 enter|1000 1005 1011 1014 1019|-|1 2 0 2 0 0 0 0 0 0 0
Cancel|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show cancel|1000 1006 1011 1018|1005 1013 1020 1022|same
Escape|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show esc|1000 1006 1011 1018|1005 1013 1020 1022|same
close box|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show close|1000 1006 1011 1018|1005 1013 1020 1022|same
/c HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/c HWND|esc|1007 1015 1021 1023|-|same
/C:HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/C:HWND|esc|1007 1015 1021 1023|-|same
-c:HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|-c:HWND|esc|1007 1015 1021 1023|-|same
/c alone: the foreground window|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/c|esc|1007 1015 1021 1023|-|same
no argument|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|-|esc|1007 1015 1021 1023|-|same
CASES
settings
