# The sound under Wine: the sample bank through DirectSound into the fixture's sink (volume, pan,
# the loads without a device), and the saver's drums on the step grid of its tempo.
work="$OSTINEL_E2E_STATE/sound"
rm -rf "$work" && mkdir -p "$work"

# events FILE: one line per sound (sounds are apart by 0.3 s below -45 dBFS on both sides): the
# onset in ms, and the peaks of the left and right sides in dBFS (-200: digital silence).
events() {
  sox "$1" -t dat - | awk '
    function db(x) { return x > 0 ? 20 * log(x) / log(10) : -200 }
    function out() { if (open) printf "%.1f %.2f %.2f\n", onset * 1000 / rate, db(pl), db(pr) }
    /^; Sample Rate/ { rate = $4 }
    /^;/ { next }
    {
      i++; l = $2 < 0 ? -$2 : $2; r = $3 < 0 ? -$3 : $3; loud = l >= 0.0056 || r >= 0.0056
      if (loud && (!open || i - last > 0.3 * rate)) { out(); open = 1; onset = i; pl = pr = 0 }
      if (loud) last = i
      if (open && l > pl) pl = l
      if (open && r > pr) pr = r
    }
    END { out() }'
}

# dropouts FILE: ms of the gaps a busy machine leaves in Wine's output: runs of 1 to 100 ms of
# digital silence that cut a sound off, the ms before still above -40 dBFS (every sample fades to
# zero by itself, and a rest of the pattern starts after such a fade).
dropouts() {
  sox "$1" -t dat - | awk '
    /^; Sample Rate/ { rate = $4; span = int(rate / 1000); next }
    /^;/ { next }
    {
      if ($2 == 0 && $3 == 0) { if (zeros++ == 0) cut = loud; next }
      if (cut && zeros >= span && zeros <= 100 * span) total += zeros
      zeros = 0
      a = $2 < 0 ? -$2 : $2; b = $3 < 0 ? -$3 : $3
      recent[n++ % span] = a > b ? a : b
      loud = 0
      for (i = 0; i < span; i++) if (recent[i] > 0.01) loud = 1
    }
    END { printf "%.0f\n", total * 1000 / rate }'
}

# SLOT VOLUME PAN: a silent play first (Wine starts its stream at the first play and cuts it), then
# a kick centred, hard right, hard left, 20 dB down, and the longest sample.
plays=(1 -10000 0  0 0 0  0 0 10000  0 0 -10000  0 -2000 0  20 0 0)
expect_equal "DirectSound opens the sink's device" "$(drive device)" create=0x00000000
# A busy machine can make Wine's mixer miss its turn: a recording with dropouts is made again.
for attempt in 1 2 3; do
  start_capture "$work/play.wav"
  drive play "${plays[@]}" >"$work/play.txt"
  stop_capture
  lost=$(dropouts "$work/play.wav")
  [ "$lost" = 0 ] && break
  echo "attempt $attempt: $lost ms of dropouts"
done
events "$work/play.wav" >"$work/heard.txt"
expect_equal "all 25 slots load" "$(head -n1 "$work/play.txt" | cut -d' ' -f2)" loaded=25
expect_equal "each play is heard once" "$(wc -l <"$work/heard.txt")" 5
mapfile -t heard <"$work/heard.txt"
mapfile -t starts < <(sed -n 's/.*start_ms=//p' "$work/play.txt" | tail -n +2)
read -r onset0 kick _ <<<"${heard[0]}"
for i in 0 1 2 3 4; do
  read -r onset left right _ <<<"${heard[i]:-0 -200 -200}"
  call="play ${plays[*]:3*i+3:3}"
  echo "$call: onset at $onset ms, peaks $left and $right dBFS"
  # Onsets sit on Wine's 10 ms mixing periods, and a missed period shifts the later ones a little.
  check "$call is heard when played" \
    holds "($left >= -40 || $right >= -40) && ($onset - $onset0) - (${starts[i]:-0} - ${starts[0]}) <= 100 &&
      ($onset - $onset0) - (${starts[i]:-0} - ${starts[0]}) >= -100"
done
read -r _ left right _ <<<"${heard[1]:-0 0 0}"
check "pan 10000 leaves the left side quiet" holds "$left <= $right - 30"
read -r _ left right _ <<<"${heard[2]:-0 0 0}"
check "pan -10000 leaves the right side quiet" holds "$right <= $left - 30"
read -r _ left _ <<<"${heard[3]:-0 0 0}"
check "volume -2000 is 20 dB down ($kick and $left dBFS)" holds "$kick - $left >= 18 && $kick - $left <= 22"

# Without a sound device the loads fail (the first after its device attempts, the rest at once).
without_audio wine_run 60 "$driver" play 0 0 0 >"$work/none.txt" 2>/dev/null
expect_equal "without a sound device the player ends by itself" "$?" 0
read -r load loaded < <(head -n1 "$work/none.txt" | tr -d '\r')
expect_equal "without a sound device no slot loads" "$loaded" loaded=0
check "without a sound device the loads end within 4.5 s ($load)" holds "${load#*=} <= 5000"

# onsets FILE: the drums' onsets in ms. Above 2 kHz, where the attacks are and the bass notes' own
# cycles are not, an onset is where a side's next 3 ms are 6 dB louder than its loudest ms of the
# 10 before and above -45 dBFS (a sound that starts at its loudest, not a reversed one swelling);
# onsets closer than 40 ms are one.
onsets() {
  sox "$1" -t dat - highpass 2000 | awk '
    /^; Sample Rate/ { rate = $4; next }
    /^;/ { next }
    { ms = int(n++ * 1000 / rate); e[0, ms] += $2 * $2; e[1, ms] += $3 * $3 }
    END {
      last = -1000
      for (i = 10; i <= ms - 3; i++) {
        hit = 0
        for (s = 0; s < 2; s++) {
          before = after = 0
          for (j = i - 10; j < i; j++) if (e[s, j] > before) before = e[s, j]
          for (j = i; j < i + 3; j++) after += e[s, j] / 3
          if (after > 0.00003 * rate / 1000 && after > 4 * before) hit = 1
        }
        if (hit && i - last > 40) { print i; last = i }
      }
    }'
}

# grid STEP: how the onsets (the first left out: Wine plays a stream's first sound early) keep to a
# grid: the period from 0.7 to 1.4 STEP they keep to best (the neighbouring tempos are in that
# range, half and twice STEP are not); how strongly they keep to STEP (1: all on one grid); the
# share within 25 ms of the STEP grid; how many of those are on even and on odd points; the count.
grid() {
  awk -v step="$1" '
    function strength(p,   i, a, c, s) {
      for (i = 1; i < n; i++) { a = 2 * 3.14159265 * t[i] / p; c += cos(a); s += sin(a) }
      phase = atan2(s, c) / (2 * 3.14159265) * p
      return n > 1 ? sqrt(c * c + s * s) / (n - 1) : 0
    }
    { t[n++] = $1 }
    END {
      for (p = 0.7 * step; p <= 1.4 * step; p += 0.25) if ((r = strength(p)) > best) { best = r; period = p }
      keep = strength(step)
      for (i = 1; i < n; i++) {
        point = int((t[i] - phase) / step + 1000.5) - 1000
        d = t[i] - phase - point * step
        if (d <= 25 && d >= -25) { within++; if (point % 2) odd++; else even++ }
      }
      printf "period=%.2f strength=%.2f within=%.2f even=%d odd=%d onsets=%d\n", period, keep,
        (n > 1 ? within / (n - 1) : 0), even, odd, n - 1
    }'
}

# NAME|SETTINGS|STEP ms: tempo index 3 steps by 125 ms, and a filled pattern sounds on odd steps as well
# as even ones, which a 250 ms grid would not have; the default, index 0, steps by 250 ms.
while IFS='|' read -r -u 3 name seeded step; do
  for attempt in 1 2 3; do
    settings $seeded
    start_capture "$work/$name.wav"
    start_saver "$work/$name.txt"
    sleep 1 && xdotool key space && sleep 6 && xdotool key a
    wait "$driver_pid"
    stop_capture
    lost=$(dropouts "$work/$name.wav")
    [ "$lost" = 0 ] && break
    echo "$name, attempt $attempt: $lost ms of dropouts"
  done
  expect_equal "$name: the saver ends with exit code 0" "$(value '^exit=' exit)" 0
  peak=$(sox "$work/$name.wav" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')
  fields=$(onsets "$work/$name.wav" | tee "$work/$name.onsets" | grid "$step")
  echo "$name: peak $peak; onsets at $(xargs <"$work/$name.onsets"); $fields"
  get() { tr ' ' '\n' <<<"$fields" | sed -n "s/^$1=//p"; }
  check "$name: the drums are heard" holds "${peak:-0} >= 0.03 && $(get onsets) >= 10"
  # Wine mixes in 10 ms periods and a busy machine delays some by 20 ms or more; the clocks of Wine
  # and the sink drift. The reversed samples land their hit 145 to 250 ms in: some onsets are off.
  check "$name: the onsets keep to a $step ms grid" \
    holds "$(get period) - $step <= 2 && $step - $(get period) <= 2 && $(get strength) >= 0.5 && $(get within) >= 0.6"
  [ "$step" = 125 ] && check "$name: onsets fall on odd and even points of the grid" \
    holds "$(get even) >= 4 && $(get odd) >= 4"
done 3<<'CASES'
tempo 3|Param0 3|125
default tempo||250
CASES
settings
