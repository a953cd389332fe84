# The sample voices' sound under Wine: what DirectSound plays into the fixture's sink, recorded and
# compared with the software mixer's rendering of the same calls; and a run without a sound device.
play="$OSTINEL_BUILD/play.exe"
work="$OSTINEL_E2E_STATE/audio"
rm -rf "$work" && mkdir -p "$work"

# SLOT VOLUME PAN: a kick centred, hard right, hard left, 20 dB down, then the longest sample. Wine
# starts its output stream at the first play, cutting that play's first milliseconds and hearing it
# some 50 ms sooner than the later ones: a silent play goes first.
warm_up=(1 -10000 0)
plays=(0 0 0  0 0 10000  0 0 -10000  0 -2000 0  20 0 0)
count=$((${#plays[@]} / 3))

# sound_events FILE: one line per sound of a stereo WAV file (sounds are apart by 0.3 s of quiet,
# quiet being below -45 dBFS on both sides): onset and span in ms; the RMS and the peak of the left
# and right channels over the span in dBFS, -200 for digital silence; and the ms of dropouts in the
# span, runs of 1 ms or more where both sides are exactly zero.
sound_events() {
  sox "$1" -t dat - | awk -v quiet=0.0056 -v gap=0.3 '
    function db(x) { return x > 0 ? 20 * log(x) / log(10) : -200 }
    function report() {
      printf "%.1f %.1f %.2f %.2f %.2f %.2f %.1f\n", onset * 1000 / rate, n * 1000 / rate,
        db(sqrt(spanL / n)), db(sqrt(spanR / n)), db(spanPeakL), db(spanPeakR),
        dropped * 1000 / rate
    }
    /^; Sample Rate/ { rate = $4 }
    /^;/ { next }
    {
      i++
      left = $2 < 0 ? -$2 : $2
      right = $3 < 0 ? -$3 : $3
      loud = left >= quiet || right >= quiet
      if (loud && (!open || i - last > gap * rate)) {
        if (open) report()
        open = 1; onset = i; sumL = sumR = peakL = peakR = count = zeros = held = dropped = 0
      }
      if (!open) next
      sumL += $2 * $2; sumR += $3 * $3; count++
      if (left > peakL) peakL = left
      if (right > peakR) peakR = right
      if (left == 0 && right == 0) { zeros++; next }
      if (zeros >= rate / 1000) held += zeros
      zeros = 0
      if (loud) {
        last = i; n = count; dropped = held
        spanL = sumL; spanR = sumR; spanPeakL = peakL; spanPeakR = peakR
      }
    }
    END { if (open) report() }'
}

# Numeric comparisons for check: at_most VALUE LIMIT; below VALUE REFERENCE DB (VALUE is at least
# DB under REFERENCE); near VALUE TARGET TOLERANCE.
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
below() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a <= b - d) }'; }
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { exit !(a - b <= t && b - a <= t) }'; }

expect_equal "DirectSound opens the sink's device" \
  "$(wine_run 30 "$play" --device 2>/dev/null | tr -d '\r')" "create=0x00000000"

wine_run 60 "$play" --mixer "Z:$work/mixer.wav" "${warm_up[@]}" "${plays[@]}" >/dev/null 2>&1
expect_equal "the software mixer renders the plays" "$?" 0
sound_events "$work/mixer.wav" >"$work/mixed.txt"
expect_equal "the mixer renders each play once" "$(wc -l <"$work/mixed.txt")" "$count"

# Wine's mixer keeps only 30 ms queued ahead of the sink, and on a busy machine it can miss its turn
# and leave a dropout: such a recording says nothing of the voices, so it is made again, up to three
# times.
for attempt in 1 2 3; do
  start_capture "$work/capture.wav"
  wine_run 60 "$play" "${warm_up[@]}" "${plays[@]}" 2>/dev/null | tr -d '\r' >"$work/live.txt"
  code=${PIPESTATUS[0]}
  stop_capture
  sound_events "$work/capture.wav" >"$work/heard.txt"
  dropped=$(awk '{ total += $7 } END { print total + 0 }' "$work/heard.txt")
  [ "$dropped" = 0 ] && break
  echo "attempt $attempt: $dropped ms of dropouts in the recording"
done
echo "sounds as onset_ms span_ms rms_left rms_right peak_left peak_right dropout_ms:"
sed 's/^/heard: /' "$work/heard.txt"
sed 's/^/mixed: /' "$work/mixed.txt"
expect_equal "the player ends by itself" "$code" 0
expect_equal "all 25 slots load on DirectSound" \
  "$(sed -n '1s/^load_ms=[0-9]* //p' "$work/live.txt")" "loaded=25"
expect_equal "each play is heard once" "$(wc -l <"$work/heard.txt")" "$count"
sed -n 's/.*start_ms=\([0-9]*\).*/\1/p' "$work/live.txt" | tail -n +2 >"$work/starts.txt"

# Per play, recording against mixer: how far its onset is from when it was played (both counted from
# the first play), the difference of the spans, and the level of the louder side and its difference.
compare() {
  paste -d ' ' "$work/heard.txt" "$work/mixed.txt" "$work/starts.txt" | awk '
    function abs(x) { return x < 0 ? -x : x }
    NR == 1 { onset0 = $1; start0 = $15 }
    {
      side = $10 > $11 ? 0 : 1
      printf "%.1f %.1f %.2f %.2f\n", abs(($1 - onset0) - ($15 - start0)), abs($2 - $9),
        $(3 + side), abs($(3 + side) - $(10 + side))
    }'
}

if [ "$(wc -l <"$work/heard.txt")" -eq "$count" ] && [ "$(wc -l <"$work/mixed.txt")" -eq "$count" ]
then
  i=0
  while read -r late span level difference; do
    call="play ${plays[*]:3*i:3}"
    echo "$call: onset off by $late ms, span by $span ms, level $level dBFS, off by $difference dB"
    check "$call sounds" at_most -40 "$level"
    # Onsets sit on Wine's 10 ms mixing periods, and a missed period in the quiet between plays
    # shifts the later ones by a few more.
    check "$call is heard when played" at_most "$late" 100
    check "$call lasts as long as the mixer's" at_most "$span" 20
    check "$call is as loud as the mixer's" at_most "$difference" 1.5
    i=$((i + 1))
  done < <(compare)

  mapfile -t heard <"$work/heard.txt"
  read -r _ _ left right _ <<<"${heard[1]}"
  echo "pan 10000: left $left dBFS, right $right dBFS"
  check "pan 10000 leaves the left side quiet" below "$left" "$right" 30
  read -r _ _ left right _ <<<"${heard[2]}"
  echo "pan -10000: left $left dBFS, right $right dBFS"
  check "pan -10000 leaves the right side quiet" below "$right" "$left" 30
  # Peaks: the same sample scaled, whatever part of its tail stays above the quiet threshold.
  attenuation=$(awk '{ peak[NR] = $5 } END { print peak[1] - peak[4] }' "$work/heard.txt")
  echo "volume -2000: $attenuation dB down"
  check "volume -2000 is 20 dB down" near "$attenuation" 20 2
fi

# Without any sound device the loads fail (the first after its device attempts at most, the others
# at once) and the player still plays its schedule out and ends.
without_audio wine_run 30 "$play" --device 2>/dev/null | tr -d '\r' >"$work/none.txt"
echo "no sound device: DirectSound's $(cat "$work/none.txt")"
without_audio wine_run 30 "$play" 0 0 0 2>/dev/null | tr -d '\r' >"$work/none.txt"
expect_equal "without a sound device the player ends by itself" "${PIPESTATUS[0]}" 0
summary=$(head -n1 "$work/none.txt")
echo "no sound device: $summary"
expect_equal "without a sound device no slot loads" "${summary#* }" "loaded=0"
load_ms=$(sed -n 's/^load_ms=\([0-9]*\) .*/\1/p' <<<"$summary")
check "without a sound device the loads end within 4.5 s" at_most "${load_ms:-99999}" 5000
