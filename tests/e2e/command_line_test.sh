# ostinel.scr under Wine with command lines that run nothing but the settings load, or the
# password change: each run must end by itself with exit code 0.
scr="$OSTINEL_BUILD/ostinel.scr"

for arguments in "/x" "/1234" "//s" "/" "-" "/a" "/A" "/a 77"; do
  # shellcheck disable=SC2086  # "/a 77" is two arguments
  wine_run 30 "$scr" $arguments
  expect_equal "ostinel.scr $arguments exits with 0 by itself" "$?" 0
done
