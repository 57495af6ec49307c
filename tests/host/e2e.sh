#!/usr/bin/env bash
# End-to-end runs of the real program, as a person would run it.
#   e2e.sh CASE PROGRAM DATA_DIR [FRAME_PROGRAM [COMPARE_PROGRAM]]
# Cases: no-gl, unreachable, headless, escape, hold-f2, no-data, elsewhere, quiet, bars,
# sharp-2160p (see there),
# leak-check, and KIND:FILE with KIND one of dir, fifo, sparse and FILE one of
# the five data files: that file is replaced by a directory, a FIFO without a
# writer or a sparse file of 64 GiB; the demo must play to its end with exit
# code 0 and that slot empty (FRAME_PROGRAM, vimra-frame, draws the proof);
# music:KIND, a hostile music file (tests/support/hostile_music.sh) under the
# music's name: the demo plays to its end, silent (or, for a file that starts
# as the music, with that start), in no more memory than with the real music
# plus 50 MB.
set -uo pipefail
case_name="$1"
program="$2"
data="$3"
frame_program="${4:-}"
. "$(dirname "$0")/../support/harness.sh"

# The program keeps everything it created until the process ends, by design;
# a sanitizer build must not count that as a leak.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

start_demo() { start_program "$1" "$program"; }

print_peak_memory() {
  [ -s "$work/time.txt" ] && echo "peak memory: $(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt") kB"
  return 0
}

# Plays the demo in folder $1 under Xvfb with F2 held (the clock speeds up and
# the demo ends within seconds); its exit code in $code. Where GNU time
# exists, the peak memory goes to $work/time.txt.
play_fast() {
  start_xvfb
  play_fast_again "$1"
}
# The same on the Xvfb already started.
play_fast_again() {
  local timer=()
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -v -o "$work/time.txt")
  start_program "$1" "${timer[@]}" "$program"
  wait_presented
  focus_window
  xdotool keydown F2
  wait_program 60
  xdotool keyup F2 2> /dev/null
}

# Renders the frame at demo time $2 from folder $1 to $3.
render_frame() {
  "$frame_program" --data "$1" "$2" "$3" > "$work/frame.log" 2>&1 || { cat "$work/frame.log"; fail "vimra-frame failed"; }
}

case "$case_name" in
  sharp-2160p)
    # Fullscreen on a 3840x2160 screen shows the frame drawn at 3840x2160,
    # the very frame the recorder draws at 2160p, not an upscale of a smaller
    # one. PROGRAM is shown_frame (one demo time, shown over and over), the
    # fourth argument vimra-record and the fifth frame_compare.
    # VIMRA_RENDER_SCALE=1 fixes the scale that frame times would choose.
    for tool in xwd ffmpeg; do command -v "$tool" > /dev/null || { echo "$tool missing"; exit 77; }; done
    record_program="$frame_program" compare_program="${5:-}"
    start_xvfb -screen 0 3840x2160x24
    export SDL_AUDIODRIVER=dummy VIMRA_RENDER_SCALE=1
    start_program "$data" "$program" "$data" 10000
    wait_presented
    focus_window
    xdotool key F11
    wait_for_size 3840 2160
    wait_for_line "$work/out.log" '^drawn 3840x2160$' "$program_pid" 60 ||
      fail "no frame drawn at 3840x2160 (within 60 s, or shown_frame ended)"
    xwd -silent -id "$window" > "$work/shot.xwd" || fail "xwd failed"
    ffmpeg -loglevel error -i "$work/shot.xwd" "$work/shown.png" || fail "ffmpeg cannot read the capture"
    mkdir "$work/recorded"
    "$record_program" --data "$data" --size 2160p --antialias none --start 10 --end 10.02 --quiet \
      "$work/recorded/f%05d.png" > "$work/record.log" 2>&1 || fail "vimra-record failed"
    "$compare_program" "$work/recorded/f00000.png" "$work/shown.png" || fail "the window does not show the 2160p frame"
    cp "$work/shown.png" "${E2E_SHOTS:-$work}/shown-2160p.png" 2> /dev/null
    ;;
  bars)
    # Resized without a window manager, then fullscreen with F11 and back with
    # Alt+Enter: the picture keeps its shape with bars around it.
    command -v xwd > /dev/null || { echo "xwd missing"; exit 77; }
    start_xvfb
    export SDL_AUDIODRIVER=dummy
    start_demo "$data"
    wait_presented
    xdotool windowsize "$window" 1000 800
    wait_for_size 1000 800
    expect_bars 1000 800
    xdotool windowsize "$window" 1280 500
    wait_for_size 1280 500
    expect_bars 1280 500
    focus_window
    xdotool key F11
    wait_for_size 1280 800
    expect_bars 1280 800
    xdotool key alt+Return
    wait_for_size 1280 500
    xdotool key Escape
    wait_program 30
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  no-gl)
    # SDL's dummy video driver gives a window without GL: the fatal path.
    (cd "$data" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" \
      > "$work/out.log" 2>&1)
    code=$?
    cat "$work/out.log"
    [ "$code" -eq 255 ] || fail "exit code $code, expected 255 (-1)"
    grep -q "fatal Error: D3D not initialized!" "$work/out.log" || fail "no fatal message"
    ;;
  unreachable)
    # DISPLAY names a display without a server, and the video driver is left
    # to SDL: it falls back to a driver without windows. The demo says which
    # display it could not reach and ends as it does without a device,
    # instead of playing its 85 s unseen.
    export DISPLAY=:65000 SDL_AUDIODRIVER=dummy
    unset SDL_VIDEODRIVER WAYLAND_DISPLAY
    xdotool getdisplaygeometry > /dev/null 2>&1 && { echo "a server answers on $DISPLAY"; exit 77; }
    started=${EPOCHREALTIME/[.,]/}
    start_demo "$data"
    wait_program 60
    echo "ended after $(((${EPOCHREALTIME/[.,]/} - started) / 1000)) ms"
    cat "$work/out.log"
    [ "$code" -eq 255 ] || fail "exit code $code, expected 255 (-1)"
    grep -q "^vimra: cannot reach the X display :65000: no window to play in" "$work/out.log" ||
      fail "no line naming the display"
    grep -q "fatal Error: D3D not initialized!" "$work/out.log" || fail "no fatal message"
    ;;
  headless)
    # Plays the whole demo offscreen at normal speed and ends by itself.
    export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
    start=$SECONDS
    start_demo "$data"
    wait_program 200
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    [ $((SECONDS - start)) -ge 84 ] || fail "ended after $((SECONDS - start)) s, before the demo's 85 s"
    ;;
  escape)
    start_xvfb
    export SDL_AUDIODRIVER=dummy
    start_demo "$data"
    wait_presented
    focus_window
    xdotool key Escape
    # The press is kept until the frame loop reads it.
    wait_program 30
    [ "$code" -eq 0 ] || fail "exit code $code after Escape"
    ;;
  hold-f2|no-data)
    start_xvfb
    export SDL_AUDIODRIVER=dummy
    folder="$data"
    if [ "$case_name" = no-data ]; then
      # A copy of the program far from any data: no install beside it, no
      # build tree around it.
      folder="$work/empty"
      mkdir "$folder" "$work/bin"
      cp "$program" "$work/bin/vimra"
      program="$work/bin/vimra"
    fi
    start_demo "$folder"
    wait_presented
    focus_window
    xdotool keydown F2
    wait_program 60
    xdotool keyup F2 2> /dev/null
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    if [ "$case_name" = no-data ]; then
      # The build's list of the names, beside the program it built.
      names="$(paste -sd, "$(dirname "$2")/data-files.txt" | sed 's/,/, /g')"
      grep -q "^vimra: no data files ($names) in $folder" "$work/out.log" || fail "no line naming the files looked for"
    fi
    ;;
  elsewhere|quiet)
    # Started from a folder without data, the build's program plays from the
    # source tree's data and says so. Without a sound output it says that
    # once, and nothing else reaches the output. SIGTERM after two seconds of
    # play (the statistics are over the frames of a stretch of time) ends it
    # as a window close does (SDL turns it into a quit), with the statistics.
    export SDL_VIDEODRIVER=offscreen VIMRA_STATS=1
    unset SDL_AUDIODRIVER
    folder="$work/empty"
    mkdir "$folder"
    [ "$case_name" = quiet ] && folder="$data"
    start_demo "$folder"
    wait_presented
    sleep 2
    kill -TERM "$program_pid"
    wait_program 30
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    grep -q "^  whole run  *[0-9]* frames" "$work/out.log" || fail "no frame statistics"
    if [ "$case_name" = elsewhere ]; then
      grep -qx "vimra: playing from $(realpath "$data") (the working directory has no data files)" "$work/out.log" ||
        fail "no line saying where it plays from"
    else
      grep -qx "no sound output: playing silently" "$work/out.log" || { echo "this machine has a sound output"; exit 77; }
      others=$(grep -v -e "^no sound output: playing silently$" -e "^vimra: frame statistics" -e "^  " "$work/out.log")
      [ -z "$others" ] || fail "the output has more than the silent-output line: $others"
    fi
    ;;
  leak-check)
    # The sanitizer build checks for leaks when the process ends; here a
    # whole run at normal speed must end with none (exit code 0, not 23).
    export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
    export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=1"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-}:suppressions=$(dirname "$0")/leak-suppressions.txt:print_suppressions=0"
    start_demo "$data"
    wait_program 300
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  dir:*|fifo:*|sparse:*)
    kind="${case_name%%:*}"
    file="${case_name#*:}"
    [ -e "$data/$file" ] || fail "no $file in $data"
    mkdir "$work/data" "$work/missing"
    cp -r "$data"/. "$work/data"
    cp -r "$data"/. "$work/missing"
    rm "$work/data/$file" "$work/missing/$file"
    case "$kind" in
      dir) mkdir "$work/data/$file" ;;
      fifo) mkfifo "$work/data/$file" ;;
      sparse) truncate -s 64G "$work/data/$file" ;;
    esac
    # Music goes to a file: silence when the music slot is empty.
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
    play_fast "$work/data"
    cat "$work/out.log"
    print_peak_memory
    [ "$code" -eq 0 ] || fail "exit code $code"
    if [ "$file" = demodemo.mp3 ]; then
      [ -s "$work/audio.raw" ] || fail "no audio output written"
      [ "$(tr -d '\000' < "$work/audio.raw" | head -c 1 | wc -c)" -eq 0 ] || fail "music played from $kind $file"
    else
      # The frame equals the one drawn without the file, and differs from the
      # one drawn with it: the slot is empty, and the frame shows the slot.
      [ -x "$frame_program" ] || fail "no vimra-frame given"
      at=30000  # the columns: cubes and cylinders
      [ "$file" = isodef.obj ] && at=45000  # the ring around the flyer
      render_frame "$work/data" $at "$work/hostile.png"
      render_frame "$work/missing" $at "$work/missing.png"
      render_frame "$data" $at "$work/full.png"
      cmp -s "$work/hostile.png" "$work/missing.png" || fail "the $kind in place of $file is not drawn as a missing file"
      cmp -s "$work/hostile.png" "$work/full.png" && fail "the frame does not show what $file holds"
    fi
    ;;
  music:*)
    kind="${case_name#music:}"
    . "$(dirname "$0")/../support/hostile_music.sh"
    mkdir "$work/data"
    cp -r "$data"/. "$work/data"
    write_hostile_music "$kind" "$work/data/demodemo.mp3" || fail "cannot write the $kind file"
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw"
    start_xvfb
    play_real_and_hostile play_fast_again "$data" "$work/data" "$kind"
    cat "$work/out.log"
    [ -s "$work/audio.raw" ] || fail "no audio output written"
    case " $hostile_music_sounding " in
      *" $kind "*) ;;
      *) [ "$(tr -d '\000' < "$work/audio.raw" | head -c 1 | wc -c)" -eq 0 ] || fail "music played from $kind" ;;
    esac
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
