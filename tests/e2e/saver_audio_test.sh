# The saver's sound under Wine: after Space fills the pattern, what the fixture's sink records holds
# drum onsets on the step grid of the tempo setting ("Param0"): 125 ms at index 3, 250 ms at 0.
# shellcheck source=saver_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
work="$OSTINEL_E2E_STATE/saver-audio"
rm -rf "$work" && mkdir -p "$work"

# onsets FILE: the onsets of a stereo recording, one a line in ms from its start. Above 2 kHz, where
# the drums' attacks are and the bass notes' own cycles are not, an onset is where either side's
# next 3 ms are 6 dB louder than its loudest millisecond of the 10 before, and above -45 dBFS: a
# sound that starts at its loudest, not one that swells (the reversed samples). Onsets closer than
# 40 ms are one.
onsets() {
  sox "$1" -t dat - highpass 2000 | awk '
    /^; Sample Rate/ { rate = $4; next }
    /^;/ { next }
    { ms = int(n++ * 1000 / rate); left[ms] += $2 * $2; right[ms] += $3 * $3 }
    END {
      floor = 0.00003 * rate / 1000
      last = -1000
      for (i = 10; i <= ms - 3; i++) {
        hit = 0
        for (side = 0; side < 2; side++) {
          before = 0; after = 0
          for (j = i - 10; j < i; j++) {
            e = side ? right[j] : left[j]
            if (e > before) before = e
          }
          for (j = i; j < i + 3; j++) after += side ? right[j] : left[j]
          after /= 3
          if (after > floor && after > 4 * before) hit = 1
        }
        if (hit && i - last > 40) { print i; last = i }
      }
    }'
}

# grid STEP: how onsets (ms, one a line; the first is left out, Wine plays a stream's first sound
# early) keep to a grid, as "name=value" fields: the period from 0.7 to 1.4 times STEP that they
# keep to best (the neighbouring tempos are in that range, the grids of half and twice STEP are
# not); how strongly they keep to STEP (1 for all on one grid, near 0 for none); the share of
# onsets within 25 ms of the STEP grid and the farthest one; how many of those fall on even and on
# odd points of the grid; the count.
grid() {
  awk -v step="$1" '
    BEGIN { pi = atan2(0, -1) }
    { t[n++] = $1 }
    function strength(p,   i, a, c, s) {
      c = 0; s = 0
      for (i = 1; i < n; i++) { a = 2 * pi * t[i] / p; c += cos(a); s += sin(a) }
      phase = atan2(s, c) / (2 * pi) * p
      return n > 1 ? sqrt(c * c + s * s) / (n - 1) : 0
    }
    END {
      best = 0
      for (p = 0.7 * step; p <= 1.4 * step; p += 0.25) {
        r = strength(p)
        if (r > best) { best = r; period = p }
      }
      keep = strength(step)
      within = 0; farthest = 0; even = 0; odd = 0
      for (i = 1; i < n; i++) {
        point = int((t[i] - phase) / step + 1000.5) - 1000
        d = t[i] - phase - point * step
        if (d < 0) d = -d
        if (d > farthest) farthest = d
        if (d > 25) continue
        within++
        if (point % 2 == 0) even++; else odd++
      }
      printf "period=%.2f strength=%.2f within=%.2f farthest=%.1f even=%d odd=%d onsets=%d\n",
        period, keep, (n > 1 ? within / (n - 1) : 0), farthest, even, odd, n - 1
    }'
}

# dropouts FILE: ms of gaps that a busy machine leaves in Wine's output: runs of 1 to 100 ms of
# digital silence that cut a sound off, the millisecond before them still above -40 dBFS. (Every
# sample fades out to zero by itself; a rest of the pattern starts after such a fade.)
dropouts() {
  sox "$1" -t dat - | awk '
    /^; Sample Rate/ { rate = $4; span = int(rate / 1000); next }
    /^;/ { next }
    {
      if ($2 == 0 && $3 == 0) {
        if (zeros++ == 0) cut = loud
        next
      }
      if (cut && zeros >= span && zeros <= 100 * span) total += zeros
      zeros = 0
      level = ($2 < 0 ? -$2 : $2) > ($3 < 0 ? -$3 : $3) ? ($2 < 0 ? -$2 : $2) : ($3 < 0 ? -$3 : $3)
      recent[n++ % span] = level
      loud = 0
      for (i = 0; i < span; i++) if (recent[i] > 0.01) loud = 1
    }
    END { printf "%.0f\n", total * 1000 / rate }'
}

# record NAME SECONDS: the saver with the pattern filled by Space, recorded for SECONDS, then ended
# by a key; made again, up to three times, while the recording has dropouts.
record() {
  local attempt
  for attempt in 1 2 3; do
    start_capture "$work/$1.wav"
    start_driver "$work/$1.txt" run "$scr" 60
    wait_line "$work/$1.txt" '^ready' 20
    sleep 1
    xdotool key space
    sleep "$2"
    after_key a "$work/$1.txt"
    wait_driver
    stop_capture
    lost=$(dropouts "$work/$1.wav")
    [ "$lost" = 0 ] && break
    echo "$1, attempt $attempt: $lost ms of dropouts"
  done
  expect_equal "$1: the saver ends with exit code 0" "$(value "$work/$1.txt" '^exit=' exit)" 0
}

# expect_grid NAME STEP: the checks of a recording against its step period.
expect_grid() {
  local peak fields
  peak=$(sox "$work/$1.wav" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')
  echo "$1: peak amplitude $peak, $(dropouts "$work/$1.wav") ms of dropouts"
  check "$1: the drums are heard" at_least "$peak" 0.03
  onsets "$work/$1.wav" >"$work/$1.onsets"
  fields=$(grid "$2" <"$work/$1.onsets")
  echo "$1: onsets at $(tr '\n' ' ' <"$work/$1.onsets")"
  echo "$1: $fields"
  check "$1: at least 10 onsets" at_least "$(field "$fields" onsets)" 10
  # Wine mixes in 10 ms periods and a busy machine delays some by 20 ms or more: the grid is found
  # with a tolerance, allowing for drift between the clocks of Wine and the sink. The reversed
  # samples land their hit 145 to 250 ms after they start, off a 250 ms grid: some onsets are.
  check "$1: the onsets keep best to a period of $2 ms" \
    near "$(field "$fields" period)" "$2" 2
  check "$1: they keep to the $2 ms grid" at_least "$(field "$fields" strength)" 0.5
  check "$1: most of them are within 25 ms of it" at_least "$(field "$fields" within)" 0.6
}

# Tempo index 3: steps of 125 ms; a filled pattern sounds on odd steps as well as even ones, which
# a grid of 250 ms would not have.
seed_settings Param0 3
record tempo3 6
expect_grid tempo3 125
tempo3=$(grid 125 <"$work/tempo3.onsets")
check "tempo3: onsets fall on odd and even points of the grid" \
  test "$(field "$tempo3" even)" -ge 4 -a "$(field "$tempo3" odd)" -ge 4

# The default tempo, index 0: steps of 250 ms.
seed_settings
record tempo0 6
expect_grid tempo0 250
clear_settings
