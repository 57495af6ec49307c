#!/usr/bin/env bash
# End-to-end runs of the real program, as a person would run it.
#   e2e.sh CASE PROGRAM DATA_DIR
# Cases: no-gl, headless, escape, hold-f2, no-data, disk-audio.
set -uo pipefail
case_name="$1"
program="$2"
data="$3"
work="$(mktemp -d)"
trap 'kill ${xvfb_pid:-} 2>/dev/null; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  for log in out xvfb; do
    [ -s "$work/$log.log" ] && { echo "--- $log.log"; cat "$work/$log.log"; }
  done
  exit 1
}

# The program keeps everything it created until the process ends, by design;
# a sanitizer build must not count that as a leak.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

start_xvfb() {
  command -v Xvfb > /dev/null || { echo "Xvfb missing"; exit 77; }
  # Xvfb picks a free display itself and writes its number: tests running
  # side by side never share a server.
  Xvfb -displayfd 3 -screen 0 1280x800x24 +extension GLX -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$work/display" ]; then
      export DISPLAY=":$(head -n 1 "$work/display")"
      xdotool getdisplaygeometry > /dev/null 2>&1 && return 0
    fi
    sleep 0.1
  done
  fail "Xvfb did not start"
}

wait_for_window() {
  for _ in $(seq 300); do
    window=$(xdotool search --name '^Vimra$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && return 0
    kill -0 "$1" 2> /dev/null || fail "the demo ended before its window appeared"
    sleep 0.1
  done
  fail "no window titled Vimra"
}

# Runs the program in folder $1 in the background; its pid in $demo_pid.
start_demo() {
  (cd "$1" && exec "$program" > "$work/out.log" 2>&1) &
  demo_pid=$!
}

# Waits up to $2 seconds for the demo to end; its exit code in $code.
wait_demo() {
  local deadline=$((SECONDS + $2))
  while kill -0 "$demo_pid" 2> /dev/null; do
    [ $SECONDS -ge "$deadline" ] && { kill -9 "$demo_pid"; fail "still running after $2 s"; }
    sleep 0.05
  done
  wait "$demo_pid"
  code=$?
}

case "$case_name" in
  no-gl)
    # SDL's dummy video driver gives a window without GL: the fatal path.
    (cd "$data" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" \
      > "$work/out.log" 2>&1)
    code=$?
    cat "$work/out.log"
    [ "$code" -eq 255 ] || fail "exit code $code, expected 255 (-1)"
    grep -q "fatal Error: D3D not initialized!" "$work/out.log" || fail "no fatal message"
    ;;
  headless)
    # Plays the whole demo offscreen at normal speed and ends by itself.
    export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
    start=$SECONDS
    start_demo "$data"
    wait_demo "$demo_pid" 200
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    [ $((SECONDS - start)) -ge 84 ] || fail "ended after $((SECONDS - start)) s, before the demo's 85 s"
    ;;
  escape)
    start_xvfb
    export SDL_AUDIODRIVER=dummy
    start_demo "$data"
    wait_for_window "$demo_pid"
    sleep 1
    xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
    xdotool key Escape
    # One frame once the loop runs; the start-up before it may take a few
    # seconds on a loaded machine, and the press is kept until it is read.
    wait_demo "$demo_pid" 30
    [ "$code" -eq 0 ] || fail "exit code $code after Escape"
    ;;
  hold-f2|no-data)
    start_xvfb
    export SDL_AUDIODRIVER=dummy
    folder="$data"
    [ "$case_name" = no-data ] && folder="$work"
    start_demo "$folder"
    wait_for_window "$demo_pid"
    xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
    xdotool keydown F2
    wait_demo "$demo_pid" 60
    xdotool keyup F2 2> /dev/null
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
