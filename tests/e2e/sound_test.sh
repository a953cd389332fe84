# The sound under Wine: the sample bank through DirectSound into the fixture's sink (volume, pan,
# the loads without a device), and the saver's drums on the step grid of its tempo.
work="$OSTINEL_E2E_STATE/sound" && rm -rf "$work" && mkdir -p "$work"
samples() { sox "$1" -t dat - "${@:2}" | awk '/^; Sample Rate/ { rate = $4 } /^;/ { next } { print }'; }
# dropouts FILE: ms of the gaps a busy machine leaves in Wine's output: 1 to 100 ms of digital
# silence cutting off a sound still above -40 dBFS (a sample fades to zero by itself).
dropouts() {
  samples "$1" | awk '$2 == 0 && $3 == 0 { if (zeros++ == 0) cut = loud; next }
    { if (cut && zeros >= 44 && zeros <= 4400) total += zeros; zeros = 0 }
    { recent[n++ % 44] = $2 > 0.01 || $2 < -0.01 || $3 > 0.01 || $3 < -0.01 }
    { for (i = loud = 0; i < 44; i++) loud = loud || recent[i] }
    END { printf "%.0f\n", total / 44.1 }'
}
# record FILE COMMAND...: records the sink while COMMAND runs, again while it has dropouts.
record() {
  for attempt in 1 2 3 4 5; do
    start_capture "$1" && "${@:2}"
    stop_capture
    lost=$(dropouts "$1") && [ "$lost" = 0 ] && return
    echo "attempt $attempt: $lost ms of dropouts"
  done
}

# SLOT VOLUME PAN|what is heard (left, right: the sides' peaks in dBFS; kick: the first's left)
table='0 0 0|left >= -40 && right >= -40
0 0 10000|right >= -40 && left <= right - 30
0 0 -10000|left >= -40 && right <= left - 30
0 -2000 0|kick - left >= 18 && kick - left <= 22
20 0 0|left >= -40 && right >= -40'
# A silent play goes first: Wine starts its stream at the first play and cuts it.
plays=(1 -10000 0 $(cut -d'|' -f1 <<<"$table"))
play() { drive play "${plays[@]}" >"$work/play.txt"; }
record "$work/play.wav" play
# Per sound (apart by 0.3 s below -45 dBFS): onset ms, the sides' peaks in dBFS.
samples "$work/play.wav" | awk '
  function db(x) { return x > 0 ? 20 * log(x) / log(10) : -200 }
  function out() { if (open) printf "%.1f %.2f %.2f\n", onset / 44.1, db(pl), db(pr) }
  { i++; l = $2 < 0 ? -$2 : $2; r = $3 < 0 ? -$3 : $3; loud = l >= 0.0056 || r >= 0.0056 }
  loud && (!open || i - last > 13230) { out(); open = 1; onset = i; pl = pr = 0 }
  { last = loud ? i : last; pl = l > pl ? l : pl; pr = r > pr ? r : pr }
  END { out() }' >"$work/heard.txt"
expect_equal "all 25 slots load" "$(head -n1 "$work/play.txt" | cut -d' ' -f2)" loaded=25
expect_equal "each play is heard once" "$(wc -l <"$work/heard.txt")" 5
mapfile -t heard <"$work/heard.txt"
mapfile -t starts < <(sed -n 's/.*start_ms=//p' "$work/play.txt" | tail -n +2)
read -r onset0 kick _ <<<"${heard[0]}"
i=0
while IFS='|' read -r call rule; do
  read -r onset left right <<<"${heard[i]:-0 -200 -200}"
  # Onsets sit on Wine's 10 ms mixing periods, and a missed period shifts the later ones a little.
  late=$(awk "BEGIN { print ($onset - $onset0) - (${starts[i]:-0} - ${starts[0]}) }") && i=$((i + 1))
  check "play $call: $rule ($left, $right dBFS), heard when played ($late ms late)" awk -v left="$left" \
    -v right="$right" -v kick="$kick" -v late="$late" "BEGIN { exit !(($rule) && late <= 100 && late >= -100) }"
done <<<"$table"
# Without a sound device the loads fail (the first after its device attempts, the rest at once).
without_audio wine_run 60 "$driver" play 0 0 0 >"$work/none.txt" 2>/dev/null
expect_equal "without a sound device the player ends by itself" "$?" 0
read -r load loaded < <(head -n1 "$work/none.txt" | tr -d '\r')
expect_equal "without a sound device no slot loads" "$loaded" loaded=0
echo "without a sound device the loads end after ${load#*=} ms"

# grid STEP: of the onsets on stdin without the first (Wine plays it early): the best period in
# 0.7..1.4 STEP (neighbouring tempos are in, half and twice STEP out), the strength at STEP (1: all on
# one grid), the share within 25 ms of it, those on even and odd points, the count, the onsets.
grid() {
  awk -v step="$1" '
    function strength(p,   i, a, c, s) {
      for (i = 1; i < n; i++) { a = 2 * 3.14159265 * t[i] / p; c += cos(a); s += sin(a) }
      phase = atan2(s, c) / (2 * 3.14159265) * p
      return n > 1 ? sqrt(c * c + s * s) / (n - 1) : 0
    }
    { t[n++] = $1; list = list " " $1 }
    END {
      for (p = 0.7 * step; p <= 1.4 * step; p += 0.25) if ((r = strength(p)) > best) { best = r; period = p }
      keep = strength(step)
      for (i = 1; i < n; i++) {
        point = int((t[i] - phase) / step + 1000.5) - 1000; d = t[i] - phase - point * step
        if (d <= 25 && d >= -25) { within++; odd += point % 2 != 0; even += point % 2 == 0 }
      }
      printf "%.2f %.2f %.2f %d %d %d%s\n", period, keep, (n > 1 ? within / (n - 1) : 0), even, odd, n - 1, list
    }'
}
drums() {
  start_saver "$work/$name.txt" && sleep 1 && xdotool key Down space && sleep 6 && xdotool key a &&
    wait "$driver_pid"
}
# NAME|SETTINGS|STEP ms, the pattern of the dice's fixed sequence (Down, then Space), whose unmuted
# cells fall on every step: at tempo index 3 steps of 125 ms, on odd points too (a 250 ms grid has
# none); at the default index 0, 250 ms.
while IFS='|' read -r -u 3 name seeded step; do
  settings $seeded
  record "$work/$name.wav" drums
  expect_equal "$name: the saver ends with exit code 0" "$(value '^exit=' exit)" 0
  peak=$(sox "$work/$name.wav" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')
  read -r period strength within even odd count onsets <<<"$(onsets "$work/$name.wav" | grid "$step")"
  echo "$name: peak $peak, onsets at $onsets"
  check "$name: the drums are heard" holds "${peak:-0} >= 0.03 && ${count:-0} >= 10"
  # Wine mixes in 10 ms periods, a busy machine delays some more, the clocks drift; the reversed
  # samples hit 145 to 250 ms in: some onsets are off.
  check "$name: the onsets keep to a $step ms grid (best $period ms, strength $strength, $within within)" \
    holds "$period - $step <= 2 && $step - $period <= 2 && $strength >= 0.5 && $within >= 0.6"
  [ "$step" = 125 ] && check "$name: onsets fall on odd ($odd) and even ($even) points of the grid" \
    holds "$even >= 4 && $odd >= 4"
done 3<<'CASES'
tempo 3|Param0 3|125
default tempo||250
CASES
settings
