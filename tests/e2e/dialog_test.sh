# The settings dialog (/c) as the system's screen-saver settings open it: what it shows for values
# written with `reg add`, what OK leaves in the registry, that Cancel leaves nothing, and its owner.
driver="$OSTINEL_BUILD/dialog_driver.exe"
saver=$(winepath -w "$OSTINEL_BUILD/ostinel.scr" | tr -d '\r')
key='HKCU\Software\n3v\OSTINEL\1'
work="$OSTINEL_E2E_STATE/dialog"
rm -rf "$work" && mkdir -p "$work"
out="$work/driver.out"

reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }

# seed [NAME=NUMBER | NAME=hex:BYTES]...: only these values in the saver's key.
seed() {
  reg delete 'HKCU\Software\n3v' /f
  local pair
  for pair in "$@"; do
    case ${pair#*=} in
      hex:*) reg add "$key" /v "${pair%%=*}" /t REG_BINARY /d "${pair#*=hex:}" /f ;;
      *) reg add "$key" /v "${pair%%=*}" /t REG_DWORD /d "${pair#*=}" /f ;;
    esac
  done
}

# drive ARGUMENTS [ACTION...]: runs the driver on the saver; its output is in $out.
drive() {
  wine_run 60 "$driver" "$saver" "$@" | tr -d '\r' >"$out"
  driver_status=${PIPESTATUS[0]}
}

field() { sed -n "s/^$1=//p" "$out" | head -n1; }
last_field() { sed -n "s/^$1=//p" "$out" | tail -n1; }
# The buttons set when the dialog opened, and at the actions' last "show" (17 buttons).
shown() { awk '$1 == "control" && $NF == "checked=1" { print $2 }' "$out" | sort -n | xargs; }
after() {
  grep '^state ' "$out" | tail -n 17 | awk '$3 == "checked=1" { print $2 }' | sort -n | xargs
}

# Every value of the key as NAME TYPE DATA, sorted.
values() {
  timeout 60 wine reg query "$key" | tr -d '\r' | awk '/^    / { print $1, $2, $3 }' | sort
}

# expected_values ROTATE P0 ... P9: the eleven REG_DWORD values that a save leaves.
expected_values() {
  local names=(Rotate Param0 Param1 Param2 Param3 Param4 Param5 Param6 Param7 Param8 Param9)
  local numbers=("$@") index
  for index in "${!names[@]}"; do
    printf '%s REG_DWORD 0x%x\n' "${names[index]}" $((numbers[index] & 0xffffffff))
  done | sort
}

# expect_run DESCRIPTION OWNER: the driver found the dialog with this owner, and the saver ended
# by itself with 0 and gave the owner back.
expect_run() {
  expect_equal "$1: the driver ran to the end" "$driver_status" 0
  expect_equal "$1: the dialog" "$(grep '^dialog ' "$out")" \
    'dialog class=#32770 caption="Ostinel screen saver"'
  expect_equal "$1: its owner" "$(field owner)" "$2"
  if [ "$2" = driver ]; then
    expect_equal "$1: the owner is disabled while the dialog is up" "$(field owner_enabled)" 0
  fi
  expect_equal "$1: the focus starts on OK" \
    "$(sed -n 's/^active=dialog focus=//p' "$out" | head -n1)" 1
  expect_equal "$1: the saver exits with 0" "$(field exit)" 0
  expect_equal "$1: the owner is enabled again" "$(last_field owner_enabled)" 1
}

# --- The controls, as dialog 104 lays them out, in the template's order.
seed
drive "/c:HWND" cancel
expect_run "/c:HWND" driver
expect_equal "the driver's window was the foreground window" "$(field foreground)" driver
expect_equal "the controls' ids, classes and texts" \
  "$(sed -n 's/^control //p' "$out" | sed 's/ checked=[0-9]*$//')" "$(cat <<'CONTROLS'
1011 Button "sparse"
1021 Button "midium"
1022 Button "nearly full"
1 Button "OK"
2 Button "Cancel"
1000 Button "Use Mouse (L-drag to Rotate)"
-1 Static bitmap=133x100
-1 Static "Ostinel"
1005 Button "slow"
1006 Button "midium"
1007 Button "fast"
-1 Button "Transient Spd"
-1 Static "Ostinel 1.0, a drum machine\n(c) 2026 the Ostinel team\nDrums synthesized in code\n\nusage:\n Down arrow / R click : Reset matrix\n Space : Transform matrix\n Enter : Toggle day/night"
-1 Button "Beat Spd(BPM)"
1012 Button "60"
1013 Button "80"
1014 Button "100"
1015 Button "120"
1016 Button "140"
1017 Button "160"
1018 Button "180"
-1 Button "Matrix Density"
-1 Button "Table Rotation"
1019 Button "off"
1020 Button "on"
1023 Button "agressive"
-1 Static "Thanks for downloading!  I am waiting for your comment!"
CONTROLS
)"
expect_equal "every radio and the check box report a check state" \
  "$(grep -c '^control .* checked=[01]$' "$out")" 17
expect_equal "no key: the defaults are shown" "$(shown)" "1000 1005 1011 1012 1019"
check "a Cancel with no key does not make one" \
  bash -c "! timeout 60 wine reg query '$key' >/dev/null 2>&1"

# --- Out-of-range values; clicks in every group; OK writes all eleven values as REG_DWORD.
seed Rotate=7 Param0=9 Param1=1 Param2=0 Param3=5 Param4=4 Param5=123 Param6=4294967295 \
  Param8=hex:3412 Param9=9
drive "/c:HWND" click 1016 click 1007 click 1021 click 1023 click 1000 show ok
expect_run "out-of-range values" driver
expect_equal "Rotate=7 sets the box, Param0=9 shows 180, Param3=5 sets no rotation radio" \
  "$(shown)" "1000 1006 1011 1018"
expect_equal "the clicks leave one radio per group set and the box clear" "$(after)" \
  "1007 1016 1021 1023"
expect_equal "OK: the choices, Param4 to Param9 carried, the missing Param7 as 0" "$(values)" \
  "$(expected_values 0 4 2 1 2 4 123 -1 0 4660 9)"

# --- Every tempo and every three-way choice, shown from the registry and taken by OK.
transient_ids=(1005 1006 1007) density_ids=(1011 1021 1022) rotation_ids=(1019 1020 1023)
for index in 0 1 2 3 4 5 6; do
  transient=$((index % 3)) density=$(((index + 1) % 3)) rotation=$(((index + 2) % 3))
  seed Rotate=0 Param0=$index Param1=$transient Param2=$density Param3=$rotation
  # Each run clicks another tempo, transient and density; the rotation stays as shown.
  tempo=$(((index + 3) % 7)) transient2=$(((transient + 1) % 3)) density2=$(((density + 2) % 3))
  drive "/c:HWND" click $((1012 + tempo)) click "${transient_ids[transient2]}" \
    click "${density_ids[density2]}" click 1000 ok
  expect_run "tempo $index" driver
  expect_equal "tempo $index: one radio per group shown" "$(shown)" "$(printf '%s\n' \
    $((1012 + index)) "${transient_ids[transient]}" "${density_ids[density]}" \
    "${rotation_ids[rotation]}" | sort -n | xargs)"
  expect_equal "tempo $index: OK stores the clicked radios" "$(values)" \
    "$(expected_values 1 $tempo $transient2 $density2 $rotation 0 0 0 0 0 0)"
done

# --- Empty groups: OK stores 2 for a three-way group with no radio set, and 180 for the tempo.
seed Rotate=0 Param0=4294967295 Param1=3 Param2=4294967291 Param3=0
drive "/c:HWND" ok
expect_run "empty groups" driver
expect_equal "Param0=-1 shows 180; Param1=3 and Param2=-5 set no radio" "$(shown)" "1018 1019"
expect_equal "OK: empty groups store 2, 180 stores 6" "$(values)" \
  "$(expected_values 0 6 2 2 0 0 0 0 0 0 0)"

# --- Enter is OK: the default button.
seed Param0=2
drive "/c:HWND" click 1014 click 1022 enter
expect_run "Enter" driver
expect_equal "Enter: saved like OK" "$(values)" "$(expected_values 1 2 0 2 0 0 0 0 0 0 0)"

# --- Cancel, Escape and the close box after changes: the registry is left byte for byte.
for ending in cancel esc close; do
  seed Rotate=7 Param0=9 Param1=1 Param2=0 Param3=5 Param5=123 Param8=hex:3412
  reg export "$key" "$work/before.reg" /y
  drive "/c:HWND" click 1013 click 1005 click 1022 click 1020 click 1000 show "$ending"
  expect_run "$ending" driver
  expect_equal "$ending: the clicks took" "$(after)" "1005 1013 1020 1022"
  reg export "$key" "$work/after.reg" /y
  check "$ending: the key is exported before and after" test -s "$work/after.reg"
  check "$ending writes nothing" cmp -s "$work/before.reg" "$work/after.reg"
done

# --- The other ways of being started: the dialog opens each time, owned as asked.
seed Rotate=0 Param0=3 Param1=2 Param2=1 Param3=2
reg export "$key" "$work/before.reg" /y
for arguments in "/c HWND" "/C:HWND" "-c:HWND" "/c" "-"; do
  drive "$arguments" esc
  name="${arguments/HWND/<hwnd>}"
  [ "$arguments" = - ] && name="no argument"
  owner=driver
  [ "$arguments" = - ] && owner=none
  expect_run "$name" "$owner"
  # "/c" alone is owned by the foreground window: the driver's, when the saver started.
  if [ "$arguments" = /c ]; then
    expect_equal "/c: the driver's window was the foreground window" "$(field foreground)" driver
  fi
  expect_equal "$name: the settings are shown" "$(shown)" "1007 1015 1021 1023"
done
reg export "$key" "$work/after.reg" /y
check "none of these writes anything" cmp -s "$work/before.reg" "$work/after.reg"
reg delete 'HKCU\Software\n3v' /f
