#!/usr/bin/env bash
# vimra-record run as a person would run it, with the real ffmpeg (or a
# failing stand-in for it).
#   record_e2e.sh CASE RECORDER DATA_DIR
# Cases: arguments, deterministic, music, failure, interrupt.
# A failure prints the last run's out.log and err.log (the harness's fail).
case_name="$1"
recorder="$2"
data="$3"
. "$(dirname "$0")/../../support/harness.sh"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
command -v ffmpeg > /dev/null && command -v ffprobe > /dev/null || { echo "ffmpeg missing"; exit 77; }

# record EXPECTED_STATUS ARGS...: runs the recorder, stderr into err.log.
record() {
  local expected="$1"; shift
  "$recorder" "$@" > "$work/out.log" 2> "$work/err.log"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "vimra-record $* exited $status, not $expected"
}

# Nothing but what the test put there may stay in the folder.
only_left() {
  local left; left="$(cd "$work/$1" && ls -A | sort | tr '\n' ' ')"
  [ "$left" = "$2" ] || fail "left in $1: '$left', expected '$2'"
}

frame_md5s() { ffmpeg -loglevel error -i "$1" -map 0:v -f framemd5 - | grep -v '^#'; }

case "$case_name" in
arguments)
  record 0 --help
  grep -q "usage: vimra-record" "$work/out.log" || fail "--help prints no usage"
  while IFS='|' read -r reason args; do
    # shellcheck disable=SC2086
    record 2 $args
    grep -q "vimra-record: .*$reason" "$work/err.log" || fail "'$args' does not say '$reason'"
    grep -q "usage:" "$work/err.log" || fail "'$args' prints no usage"
  done << 'EOF_CASES'
no output|
unknown option --frobnicate|--frobnicate x.mp4
--size needs a value|x.mp4 --size
not 16:9|--size 1000x700 x.mp4
25 to 120|--fps 200 x.mp4
not a time in seconds|--start soon x.mp4
the demo ends at 85.080|--end 90 x.mp4
is not after --start|--start 20 --end 10 x.mp4
--antialias blur|--antialias blur x.mp4
cannot tell the format|x.avi
frame number field|frames.png
EOF_CASES
  record 1 --data "$data" "$work/no/such/folder/x.mp4"
  grep -q "cannot write $work/no/such/folder/x.mp4" "$work/err.log" || fail "an unwritable output is not named"
  mkdir "$work/empty"
  record 1 --data "$work/no-data" "$work/empty/x.mp4"
  grep -q "cannot enter $work/no-data" "$work/err.log" || fail "a missing data folder is not named"
  only_left empty ""
  ;;
deterministic)
  # Same arguments, same frames: a PNG sequence byte for byte, a video
  # decoded frame for frame; frames at different times differ.
  mkdir "$work/a" "$work/b" "$work/none"
  for run in a b; do
    record 0 --quiet --data "$data" --size 64x36 --start 41.5 --end 41.58 --antialias ssaa2 "$work/$run/f%03d.png"
  done
  only_left a "f000.png f001.png f002.png f003.png "
  (cd "$work/a" && md5sum ./*.png) > "$work/a.md5"
  (cd "$work/b" && md5sum -c --quiet "$work/a.md5") || fail "two runs gave different PNG frames"
  [ "$(cut -d' ' -f1 "$work/a.md5" | sort -u | wc -l)" -eq 4 ] || fail "frames at different times are equal"
  size="$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/a/f000.png")"
  [ "$size" = "64,36" ] || fail "frames are $size, not 64,36"
  # Antialiasing changes the frame; none is the plain rendering.
  record 0 --quiet --data "$data" --size 64x36 --start 41.5 --end 41.52 --antialias none "$work/none/f%03d.png"
  cmp -s "$work/a/f000.png" "$work/none/f000.png" && fail "supersampling left the frame as it was"
  for run in 1 2; do
    record 0 --quiet --data "$data" --size 96x54 --fps 25 --start 10 --end 10.4 "$work/v$run.mp4"
    frame_md5s "$work/v$run.mp4" > "$work/v$run.md5"
  done
  [ "$(wc -l < "$work/v1.md5")" -eq 10 ] || fail "0.4 s at 25 fps is not 10 frames"
  cmp -s "$work/v1.md5" "$work/v2.md5" || fail "two runs gave different video frames"
  ;;
music)
  # One second of the ring scene: video and the music of that second, with sound in it.
  mkdir "$work/m"
  record 0 --quiet --data "$data" --size 64x36 --start 45 --end 46 "$work/m/scene.mp4"
  only_left m "scene.mp4 "
  streams="$(ffprobe -v error -show_entries stream=codec_type,nb_frames -of csv=p=0 "$work/m/scene.mp4" | tr '\n' ' ')"
  [ "$streams" = "video,50 audio,44 " ] || [ "$streams" = "video,50 audio,45 " ] || fail "streams: $streams"
  duration="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/m/scene.mp4")"
  awk -v d="$duration" 'BEGIN { exit !(d > 0.98 && d < 1.03) }' || fail "duration $duration, not 1 s"
  volume="$(ffmpeg -i "$work/m/scene.mp4" -map 0:a -af volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \(-*[0-9.]*\) dB/\1/p')"
  awk -v v="$volume" 'BEGIN { exit !(v > -40) }' || fail "the music is silent (mean volume $volume dB)"
  # A WebM gets VP9 and Opus.
  record 0 --quiet --data "$data" --size 64x36 --start 45 --end 45.2 "$work/m/scene.webm"
  codecs="$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/m/scene.webm" | tr '\n' ' ')"
  [ "$codecs" = "vp9 opus " ] || fail "webm codecs: $codecs"
  ;;
failure)
  # An ffmpeg that writes part of its output and fails: the partial output
  # goes, an earlier recording of that name stays, the error names the file.
  cat > "$work/ffmpeg" << 'EOF_FAKE'
#!/usr/bin/env bash
target="${!#}"
head -c 100000 > /dev/null
case "$target" in *%*) for i in 000 001 002; do echo x > "${target/\%03d/$i}"; done ;; *) echo partial > "$target" ;; esac
echo "fake ffmpeg: no space left" >&2
exit 1
EOF_FAKE
  chmod +x "$work/ffmpeg"
  mkdir "$work/o"
  echo earlier > "$work/o/keep.mp4"
  VIMRA_FFMPEG="$work/ffmpeg" record 1 --quiet --data "$data" --size 64x36 --end 2 "$work/o/keep.mp4"
  grep -q "cannot write $work/o/keep.mp4: ffmpeg ended with status 1" "$work/err.log" || fail "the failure does not name the file"
  grep -q "no space left" "$work/err.log" || fail "ffmpeg's own message is not shown"
  only_left o "keep.mp4 "
  [ "$(cat "$work/o/keep.mp4")" = earlier ] || fail "the earlier recording was overwritten"
  VIMRA_FFMPEG="$work/ffmpeg" record 1 --quiet --data "$data" --size 64x36 --end 2 "$work/o/f%03d.png"
  only_left o "keep.mp4 "
  VIMRA_FFMPEG="$work/no-ffmpeg" record 1 --quiet --data "$data" --size 64x36 --end 2 "$work/o/new.mp4"
  grep -q "cannot run $work/no-ffmpeg" "$work/err.log" || fail "a missing ffmpeg is not reported"
  only_left o "keep.mp4 "
  ;;
interrupt)
  # Ctrl+C in the middle: ffmpeg is ended, nothing is left, status 130.
  mkdir "$work/i"
  "$recorder" --data "$data" --size 640x360 "$work/i/whole.mp4" > /dev/null 2> "$work/err.log" &
  pid=$!
  harness_pids+=("$pid")
  # Its first progress line comes once frames have gone to ffmpeg for a while.
  wait_for_line "$work/err.log" '^frame [0-9]+/' "$pid" 120 || fail "the recorder showed no progress"
  ffmpeg_pid="$(pgrep -P "$pid")" || fail "no ffmpeg under the recorder"
  kill -INT "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 130 ] || fail "interrupted recorder exited $status, not 130"
  kill -0 "$ffmpeg_pid" 2> /dev/null && fail "ffmpeg $ffmpeg_pid outlived the recorder"
  grep -q "removed the partial $work/i/whole.mp4" "$work/err.log" || fail "no word of the removed output"
  only_left i ""
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
