# The settings dialog as the system opens it: its controls, what it shows for stored values, what
# OK, Enter, Cancel, Escape and the close box store, its owner for each way of being started.
saver=$(winepath -w "$scr" | tr -d '\r')
work="$OSTINEL_E2E_STATE/dialog" && out="$OSTINEL_E2E_STATE/dialog/report.txt"
rm -rf "$work" && mkdir -p "$work"

# The controls in the template's order: id, class, style, place and size in dialog units, text. A
# checked radio takes the tab stop; a picture takes its bitmap's size (pixels).
controls=$(cat <<'CONTROLS'
1011 class=Button style=0x50030009 rect=75,140,36,8 name=sparse
1021 class=Button style=0x50000009 rect=75,150,36,8 name=midium
1022 class=Button style=0x50000009 rect=75,160,45,8 name=nearly full
1 class=Button style=0x50010001 rect=185,145,30,12 name=OK
2 class=Button style=0x50010000 rect=185,160,30,14 name=Cancel
1000 class=Button style=0x50012003 rect=130,138,50,30 name=Use Mouse (L-drag to Rotate)
-1 class=Static style=0x5000080e rect=13,21,0,0 name=bitmap=133x100
-1 class=Static style=0x50021201 rect=22,9,60,8 name=Ostinel
1005 class=Button style=0x50030009 rect=75,95,36,8 name=slow
1006 class=Button style=0x50000009 rect=75,105,36,8 name=midium
1007 class=Button style=0x50000009 rect=75,115,36,8 name=fast
-1 class=Button style=0x50000007 rect=70,85,55,45 name=Transient Spd
-1 class=Static style=0x50021000 rect=97,7,118,70 name=Ostinel 1.0, a drum machine\n(c) 2026 the Ostinel team\nDrums synthesized in code\n\nusage:\n Down arrow / R click : Reset matrix\n Space : Transform matrix\n Enter : Toggle day/night
-1 class=Button style=0x50000007 rect=10,85,55,90 name=Beat Spd(BPM)
1012 class=Button style=0x50030009 rect=13,97,43,10 name=60
1013 class=Button style=0x50000009 rect=13,107,43,10 name=80
1014 class=Button style=0x50000009 rect=13,117,43,10 name=100
1015 class=Button style=0x50000009 rect=13,127,43,10 name=120
1016 class=Button style=0x50000009 rect=13,137,43,10 name=140
1017 class=Button style=0x50000009 rect=13,147,43,10 name=160
1018 class=Button style=0x50000009 rect=13,157,43,10 name=180
-1 class=Button style=0x50000007 rect=70,130,55,45 name=Matrix Density
-1 class=Button style=0x50000007 rect=130,85,55,45 name=Table Rotation
1019 class=Button style=0x50030009 rect=135,95,45,10 name=off
1020 class=Button style=0x50000009 rect=135,105,45,10 name=on
1023 class=Button style=0x50000009 rect=135,115,45,10 name=agressive
-1 class=Static style=0x50021001 rect=10,180,205,10 name=Thanks for downloading!  I am waiting for your comment!
CONTROLS
)

# NAME|SETTINGS|ARGUMENTS ("HWND": the driver's window; "-": none)|ACTIONS|the buttons checked
# when it opens|and at "show"|what is stored: same (byte for byte, or still no key) or the eleven
# REG_DWORD values Rotate, Param0 ... Param9
snapshot() { reg export "$saver_key" "$work/$1.reg" /y || echo "no key" >"$work/$1.reg"; }
while IFS='|' read -r -u 3 name seeded arguments actions opened shown saved; do
  settings $seeded && snapshot before
  # shellcheck disable=SC2086  # the actions are words
  drive dialog "$saver" "$arguments" $actions >"$out"
  owner=driver enabled=0 && [ "$arguments" = - ] && owner=none enabled=1
  expect_equal "$name: the dialog (owner $owner, disabled meanwhile; the focus on OK) ends with 0" \
    "$(grep -E '^(open|end)' "$out")" "open foreground=1 owner=$owner owner_enabled=$enabled focus=1 \
caption=Ostinel screen saver"$'\n'"end exit=0 owner_enabled=1"
  expect_equal "$name: the buttons shown" "$(grep -m1 ^checked "$out")" "checked $opened"
  [ "$shown" = - ] || expect_equal "$name: the clicks take" "$(grep ^checked "$out" | tail -n1)" "checked $shown"
  [ "$name" = "no key" ] && expect_equal "the controls" "$(sed -n 's/^control //p' "$out")" "$controls"
  if [ "$saved" = same ]; then snapshot after && check "$name: nothing is written" cmp -s "$work/before.reg" "$work/after.reg"
  else expect_equal "$name: what is stored" "$(stored)" "$(dwords $saved)"; fi
done 3<<'CASES'
no key||/c:HWND|cancel|1011 1000 1005 1012 1019|-|same
out of range|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param4 4 Param5 123 Param6 4294967295 Param8 hex:3412 Param9 9|/c:HWND|click 1016 click 1007 click 1021 click 1023 click 1000 show ok|1011 1000 1006 1018|1021 1007 1016 1023|0 4 2 1 2 4 123 -1 0 4660 9
tempo 0|Rotate 0 Param0 0 Param1 0 Param2 1 Param3 2|/c:HWND|click 1015 click 1006 click 1011 click 1000 ok|1021 1005 1012 1023|-|1 3 1 0 2 0 0 0 0 0 0
tempo 1|Rotate 0 Param0 1 Param1 1 Param2 2 Param3 0|/c:HWND|click 1016 click 1007 click 1021 click 1000 ok|1022 1006 1013 1019|-|1 4 2 1 0 0 0 0 0 0 0
tempo 2|Rotate 0 Param0 2 Param1 2 Param2 0 Param3 1|/c:HWND|click 1017 click 1005 click 1022 click 1000 ok|1011 1007 1014 1020|-|1 5 0 2 1 0 0 0 0 0 0
tempo 3|Rotate 0 Param0 3 Param1 0 Param2 1 Param3 2|/c:HWND|click 1018 click 1006 click 1011 click 1000 ok|1021 1005 1015 1023|-|1 6 1 0 2 0 0 0 0 0 0
tempo 4|Rotate 0 Param0 4 Param1 1 Param2 2 Param3 0|/c:HWND|click 1012 click 1007 click 1021 click 1000 ok|1022 1006 1016 1019|-|1 0 2 1 0 0 0 0 0 0 0
tempo 5|Rotate 0 Param0 5 Param1 2 Param2 0 Param3 1|/c:HWND|click 1013 click 1005 click 1022 click 1000 ok|1011 1007 1017 1020|-|1 1 0 2 1 0 0 0 0 0 0
tempo 6|Rotate 0 Param0 6 Param1 0 Param2 1 Param3 2|/c:HWND|click 1014 click 1006 click 1011 click 1000 ok|1021 1005 1018 1023|-|1 2 1 0 2 0 0 0 0 0 0
empty groups|Rotate 0 Param0 4294967295 Param1 3 Param2 4294967291 Param3 0|/c:HWND|ok|1018 1019|-|0 6 2 2 0 0 0 0 0 0 0
Enter|Param0 2|/c:HWND|click 1014 click 1022 enter|1011 1000 1005 1014 1019|-|1 2 0 2 0 0 0 0 0 0 0
Cancel|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show cancel|1011 1000 1006 1018|1022 1005 1013 1020|same
Escape|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show esc|1011 1000 1006 1018|1022 1005 1013 1020|same
close box|Rotate 7 Param0 9 Param1 1 Param2 0 Param3 5 Param5 123 Param8 hex:3412|/c:HWND|click 1013 click 1005 click 1022 click 1020 click 1000 show close|1011 1000 1006 1018|1022 1005 1013 1020|same
/c HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/c HWND|esc|1021 1007 1015 1023|-|same
/C:HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/C:HWND|esc|1021 1007 1015 1023|-|same
-c:HWND|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|-c:HWND|esc|1021 1007 1015 1023|-|same
/c alone: the foreground window|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|/c|esc|1021 1007 1015 1023|-|same
no argument|Rotate 0 Param0 3 Param1 2 Param2 1 Param3 2|-|esc|1021 1007 1015 1023|-|same
CASES
settings
