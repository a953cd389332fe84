#!/bin/bash
# ostinel-render --video as a viewer gets it: a 1080p60 clip's streams, a frame of it against the
# picture of the same frame, its sound against audio.wav, the progress line; then each way --video
# fails, a stalled ffmpeg among them; and the README's examples of ostinel-render, as written there.
#   video_test.sh path/to/ostinel-render work-dir
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/lib.sh"
tool=$1
work=$2
rm -rf "$work" && mkdir -p "$work/empty" "$work/stalled" "$work/working" "$work/wrapper" && cd "$work" || exit 1
above() { holds "$1 > $2"; }
near() { [ -n "$1" ] && holds "($1 - $2) ^ 2 < 1e-4"; }  # within 10 ms
rms() { sox "$1" -n stat 2>&1 | awk '/^RMS +amp/ { print $3 }'; }
streams() { ffprobe -v error -of csv=p=0 -show_entries stream=codec_name "$1" | tr '\n' ' '; }

# ffmpegs that take nothing of the frames for over 30 s, run meanwhile and judged at the end: one
# that never reads is stopped, whether the frames fill the pipe (640x360) or not (64x36); one at
# work all along (as on a frame of 8192x8192 in VP9), here for 32 s before it reads, is not.
printf '#!/bin/sh\necho $$ >>stalled.pids\nexec %s 300\n' "$(command -v sleep)" >stalled/ffmpeg
cat >working/ffmpeg <<EOF
#!/bin/sh
[ -e worked ] || { touch worked; end=\$((\$(date +%s) + 32)); }
while [ \$(date +%s) -lt \${end:-0} ]; do n=0; while [ \$n -lt 30000 ]; do n=\$((n + 1)); done; sleep 0.5; done
exec $(command -v ffmpeg) "\$@"
EOF
chmod +x stalled/ffmpeg working/ffmpeg
fakes=(stalled stalled working) sizes=(640x360 64x36 640x360) runs=()
for i in 0 1 2; do
  timeout 120 env PATH="$work/${fakes[i]}:$PATH" "$tool" --seconds 1 --fps 30 --size "${sizes[i]}" \
    --out "$i-${fakes[i]}" --video "$i-${fakes[i]}.mp4" >/dev/null 2>"$i.err" &
  runs+=($!)
done

# An ffmpeg 3 s slow to start, which keeps a copy of the sound it is given as a file.
cat >wrapper/ffmpeg <<EOF && chmod +x wrapper/ffmpeg
#!/bin/sh
[ -e slept ] || { touch slept; sleep 3; }
s16=; for a; do case \$a in s16le) s16=1 ;; file:*) [ -n "\$s16" ] && cp "\${a#file:}" given.raw; s16= ;; esac; done
exec $(command -v ffmpeg) "\$@"
EOF

# A tumbling table, so that a frame off by one or flipped shows; a full pattern for the sound.
# Frames of 8 MB, far more than ffmpeg reads of its first input before it looks at the next.
render=(--seconds 2 --fps 60 --size 1920x1080 --rotation 2 --tempo 3 --transient 2 --density 2
        --event 0:space --seed 7 --frame-every 60)
timeout 60 env PATH="$work/wrapper:$PATH" "$tool" "${render[@]}" --out out --video clip.mp4 \
  >run.out 2>run.err
check "a 2 s clip at 1920x1080 and 60 fps renders, its ffmpeg 3 s slow to start" [ $? -eq 0 ]
check "no progress line on a pipe" [ -z "$(grep 'real time' run.err)" ]
video=$(ffprobe -v error -count_frames -select_streams v -of csv=p=0 \
  -show_entries stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames clip.mp4)
check "H.264 1920x1080 yuv420p at 60/1, 120 frames ($video)" \
  [ "$video" = "h264,1920,1080,yuv420p,60/1,120" ]
length=$(ffprobe -v error -of csv=p=0 -show_entries format=duration clip.mp4)
check "lasts 2 s ($length)" near "$length" 2
audio=$(ffprobe -v error -select_streams a -of csv=p=0 -show_entries stream=codec_name,duration \
  clip.mp4)
wav=$(soxi -D out/audio.wav)
check "AAC ($audio) as long as audio.wav ($wav)" near "${audio#aac,}" "${wav:-0}"
# 2 s of 44100 Hz 16-bit stereo.
check "ffmpeg is given audio.wav's 352800 bytes of sound, sample for sample" \
  [ "$(cmp given.raw <(sox out/audio.wav -t raw -) && stat -c %s given.raw)" = 352800 ]

# Frame 60 is the one at 1 s; the codec loses little of it.
psnr=$(ffmpeg -nostdin -i clip.mp4 -i out/frame_00060.png -lavfi \
  "[0:v]trim=start=1,setpts=PTS-STARTPTS[v];[v][1:v]psnr=shortest=1" -f null - 2>&1 |
  sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p')
check "the frame at 1 s matches frame_00060.png (PSNR $psnr dB > 30)" above "${psnr:-0}" 30

# Correlation of the decoded sound with audio.wav, from the sizes of both and of their difference.
ffmpeg -nostdin -v error -i clip.mp4 -map 0:a -c:a pcm_s16le -t "$wav" decoded.wav
sox -m -v 1 out/audio.wav -v -1 decoded.wav difference.wav 2>/dev/null
correlation=$(awk -v a="$(rms out/audio.wav)" -v b="$(rms decoded.wav)" -v d="$(rms difference.wav)" \
  'BEGIN { if (a * b > 0) printf "%.3f", (a * a + b * b - d * d) / (2 * a * b); else print 0 }')
check "the sound correlates with audio.wav ($correlation > 0.9)" above "$correlation" 0.9

timeout 60 "$tool" --seconds 1 --fps 30 --size 160x90 --seed 7 --out webm --video made/clip.webm \
  >/dev/null 2>&1
webm=$(ffprobe -v error -of csv=p=0 -show_entries stream=codec_name made/clip.webm | tr '\n' ,)
check "a .webm clip, its folder made, is VP9 and Opus ($webm)" [ "$webm" = "vp9,opus," ]

# On a terminal one line, rewritten in place; none with --quiet; the summary always.
for quiet in "" --quiet; do
  script -qec "timeout 60 $tool --seconds 1 --fps 30 --size 64x36 --seed 7 --out tty $quiet" \
    /dev/null >tty.out
  shown=$(grep -c $'\rframe 30 of 30, 100%, [0-9.]*x real time, 0:00 left' tty.out)
  summary=$(grep -c 'ostinel-render: 30 frames' tty.out)
  check "${quiet:-no option}: progress $shown, summary $summary" \
    [ "$shown,$summary" = "$([ -z "$quiet" ] && echo 1 || echo 0),1" ]
done

# The ways --video fails: before any work with 2, mid-way with 1; never a file under its name.
# An encoder that takes two frames, writes what it has and fails.
mkdir broken && printf '#!/bin/sh\nfor last; do :; done\n%s -c 460800 >"${last#file:}"\nexit 1\n' \
  "$(command -v head)" >broken/ffmpeg && chmod +x broken/ffmpeg
while read -r status path options; do
  rm -rf failed
  timeout 60 env PATH="$path" "$tool" --seconds 2 --fps 30 --size 320x180 --out failed $options \
    >/dev/null 2>fail.err
  got=$?
  check "$options, PATH=${path##*/}: exit $got ($(head -c 90 fail.err))" [ "$got" -eq "$status" ]
  check "$options: no video left" [ -z "$(ls | grep -i 'failed\.\(mp4\|webm\|avi\)')" ]
  [ "$status" -eq 2 ] && check "$options: no work done" [ ! -e failed ]
done <<EOF
2 $PATH --video failed.avi
2 $PATH --video failed.mp4 --size 321x180
2 $work/empty --video failed.mp4
1 $work/broken --video failed.mp4
EOF

# The README's examples, from a folder where the program is at the README's path, --seconds
# shortened: each ends with 0 and leaves what the README says: the video, H.264 and AAC in an .mp4,
# or else PNG frames; audio.wav and the trace with either.
mkdir -p readme/build/release/headless && ln -s "$tool" readme/build/release/headless/
while read -r command; do
  command=$(sed -E 's/ +/ /g; s/--seconds [0-9.]+/--seconds 1/' <<<"$command")
  out=readme/$(grep -oP -- '--out \K\S+' <<<"$command")
  video=$(grep -oP -- '--video \K\S+' <<<"$command")
  case $video in *.mp4) says='h264 aac ' ;; *.webm) says='vp9 opus ' ;; *) says=PNG ;; esac
  rm -rf "$out" && (cd readme && timeout 60 bash -c "$command" >/dev/null 2>&1)
  got=$?
  made=$([ -n "$video" ] && streams "readme/$video"; ls "$out" | grep -qx 'frame_.*\.png' && echo PNG)
  check "README: $command: exit $got, made ${made:-nothing}" [ "$got,$made" = "0,$says" ]
  check "README: audio.wav of 1 s and the trace" \
    [ "$(soxi -D "$out/audio.wav"),$(grep -c '"end":true' "$out/trace.jsonl")" = 1.000000,1 ]
done < <(readme_commands ostinel-render)
check "README: its examples of ostinel-render found" \
  [ "$(readme_commands ostinel-render | wc -l)" -ge 2 ]

for i in 0 1; do
  wait "${runs[i]}"
  got=$?
  check "an ffmpeg that never reads, frames of ${sizes[i]}: exit $got, one line ($(cat $i.err))" \
    [ "$got,$(wc -l <$i.err),$(grep -c 'ffmpeg stopped reading' $i.err)" = 1,1,1 ]
done
left=$(ls | grep -c 'stalled\.mp4')
running=$(while read -r pid; do kill -0 "$pid" 2>/dev/null && echo "$pid"; done <stalled.pids)
check "both are stopped (running: ${running:-none}), and no video is left ($left files)" \
  [ "$left,$running" = 0, ]
wait "${runs[2]}"
got="$?,$(streams 2-working.mp4)"
check "an ffmpeg at work for 32 s before it reads: exit, streams $got ($(cat 2.err))" \
  [ "$got" = '0,h264 aac ' ]

finish
