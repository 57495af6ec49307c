# Sourced by the end-to-end scripts: waits until the program with pid $1 shows
# its window titled "Vimra" on $DISPLAY and puts its id in $window. Generous:
# on a loaded machine start-up (GL on the software rasteriser, Wine's start)
# can take many seconds; a pass costs no waiting. Needs the script's fail().
wait_for_window() {
  for _ in $(seq 1200); do
    window=$(xdotool search --name '^Vimra$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && return 0
    kill -0 "$1" 2> /dev/null || fail "the demo ended before its window appeared"
    sleep 0.1
  done
  fail "no window titled Vimra"
}
