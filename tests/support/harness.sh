# The shell harness of the tests that run real programs (the desktop demo,
# the Windows build under Wine, the installed package, the page in Chromium).
# Sourced; it makes a work folder ($work), removed at exit with every server
# and program it started, and gives:
#   fail MESSAGE           prints FAIL and the logs in $work, exits 1; with
#                          VIMRA_KEEP_FAILED=DIR set, the work folder is kept
#                          as DIR/SCRIPT-PID (recordings, logs, screens)
#   start_xvfb [OPTION...] a private Xvfb on a free display, with Xvfb's
#                          OPTIONs added (-fbdir, say); exports DISPLAY
#   start_program DIR CMD  runs CMD in DIR in the background ($program_pid),
#                          output in $work/out.log, with VIMRA_FRAME_LOG naming
#                          a FIFO that gets a line per presented frame (a
#                          Windows name of it for a program under Wine); a
#                          function frame_reader of the caller's, if defined,
#                          reads that FIFO instead ($frame_reader_pid; see there)
#   wait_presented [S] [--no-window]
#                          waits for the program's first presented frame (at
#                          most S seconds), then looks its window up once; a
#                          program that ends first fails the test at once with
#                          its exit status and the loader's error lines
#   wait_program S         waits at most S seconds for it to end; exit code in $code
#   wait_for_line FILE REGEX PID S
#                          waits for a line of FILE that matches REGEX (grep
#                          -E) while PID runs, at most S seconds; false if
#                          none comes
#   focus_window           gives the window the keyboard
#   runs_32bit             whether 32-bit x86 programs run here (the reason
#                          in $no_32bit_reason when not); VIMRA_32BIT=yes or
#                          no overrides the probe (no: as on a kernel without
#                          32-bit support)
#   at_exit COMMAND        runs COMMAND when the script ends, before the rest
#   start_wine ARCH PREFIX  64-bit (x64) or 32-bit (x86) Wine in the prefix
#                          folder PREFIX, made on first use and set up for the
#                          tests (wine_prefix); $loader is Wine's loader, and
#                          start_program runs Windows programs with it. Skips
#                          the test (77) where that Wine cannot run here
#   wine_prefix LOADER     makes $WINEPREFIX with Wine's LOADER where it is
#                          missing, set up for the tests (see there)
#   capture, pixel X Y     the window into $work/shot.xwd; a pixel's "R G B"
#                          (try_capture: false instead of failing)
#   wait_frames N          waits for N more presented frames
#   wait_for_size W H      waits for the window to settle at W x H
#   expect_bars W H        the window (W x H) shows the 16:9 picture, as large
#                          as fits, with black bars on the sides left over
set -uo pipefail
work="$(mktemp -d)"
harness_pids=()
harness_exit_hooks=()
at_exit() { harness_exit_hooks+=("$1"); }
harness_cleanup() {
  local status=$? hook
  # A script that ends badly without saying why (a shell error, a signal)
  # says where it was.
  [ $status -eq 0 ] || [ $status -eq 77 ] || [ -n "${harness_failed:-}" ] ||
    echo "FAIL: ended with status $status after line ${harness_line:-?} of $(basename "$0")"
  for hook in "${harness_exit_hooks[@]}"; do eval "$hook"; done
  # Each one is waited for, so that the next test finds its display free.
  local pid
  for pid in "${harness_pids[@]}"; do
    kill "$pid" 2> /dev/null && { wait "$pid"; } 2> /dev/null
  done
  rm -rf "$work"
}
trap harness_cleanup EXIT
trap 'harness_line=$LINENO' DEBUG

fail() {
  harness_failed=1
  echo "FAIL: $*"
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 60 "$log"; }
  done
  if [ -n "${VIMRA_KEEP_FAILED:-}" ]; then
    local kept="$VIMRA_KEEP_FAILED/$(basename "$0" .sh)-$$"
    mkdir -p "$VIMRA_KEEP_FAILED" && cp -r "$work" "$kept" && echo "kept: $kept"
  fi
  exit 1
}

# Xvfb picks a free display itself (-displayfd) and writes its number once it
# accepts clients; the number is read from a FIFO, so it is never seen half
# written and a server that dies at start-up is an end of file, not a wait.
# -noreset: by default the server resets when its last client leaves and drops
# every client that connected in the same wake-up. On a loaded machine the
# harness's own first client leaving and the program connecting land
# together; the program then finds no display and SDL falls back to its
# offscreen driver (tests/support/xvfb_reset_test.sh shows it).
start_xvfb() {
  command -v Xvfb > /dev/null || { echo "Xvfb missing"; exit 77; }
  command -v xdotool > /dev/null || { echo "xdotool missing"; exit 77; }
  local number=
  mkfifo "$work/display"
  Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 +extension GLX -nolisten tcp "$@" 3> "$work/display" \
    > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  harness_pids+=("$xvfb_pid")
  read -r -t 60 number < "$work/display"
  [[ "$number" =~ ^[0-9]+$ ]] || fail "Xvfb did not start"
  export DISPLAY=":$number"
  xvfb_display="$DISPLAY"
  # The desktop program is told its driver: an unreachable display then
  # fails at once instead of playing unseen.
  export SDL_VIDEODRIVER=x11
}

# A Windows program names the FIFO by Wine's drive Z:, the Unix root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

start_program() {
  local dir="$1" log="$work/ready"
  shift
  rm -f "$log" "$work/frames-read"
  mkfifo "$log"
  [ -n "${loader:-}" ] && [ -n "${WINEPREFIX:-}" ] && log="$(windows_path "$log")"
  # The starter holds the FIFO open and writes "ended STATUS" to it when the
  # program ends: a program that ends before its first frame is seen at once,
  # whatever it leaves running that might hold the FIFO (Wine's server and
  # services). The FIFO is opened before anything can fail.
  (
    exec 3> "$work/ready"
    cd "$dir" || { echo "ended 127" >&3; exit 127; }
    VIMRA_FRAME_LOG="$log" "$@" > "$work/out.log" 2>&1 3>&- &
    child=$!
    trap 'kill -TERM $child 2> /dev/null' TERM
    trap '' PIPE
    while :; do
      wait "$child"
      status=$?
      kill -0 "$child" 2> /dev/null || break
    done
    echo "ended $status" >&3
    exit "$status"
  ) &
  program_pid=$!
  harness_pids+=("$program_pid")
  # A caller's frame_reader FIFO OUT reads the FIFO instead, printing on OUT
  # one number at the first frame and the "ended" line when one comes.
  if declare -F frame_reader > /dev/null; then
    mkfifo "$work/frames-read"
    frame_reader "$work/ready" > "$work/frames-read" &
    frame_reader_pid=$!
    harness_pids+=("$frame_reader_pid")
    exec {ready_fd}< "$work/frames-read"
  else
    exec {ready_fd}< "$work/ready"
  fi
}

# The exit status and the loader's own words (Wine's err: lines) of a program
# that ended before its first frame.
program_ended() {
  local says
  says="$(grep -a 'err:' "$work/out.log" 2> /dev/null | head -n 8)"
  fail "the program ended before presenting a frame, with exit status $1${says:+; the loader says:
$says}"
}

window_by_title() {
  window=$(xdotool search --name '^Vimra$' 2> /dev/null | head -n 1)
}

# The first line is the first frame (its number in $presented); the rest are
# read away as they come, so the program never waits on a full FIFO. With
# --no-window no window is looked up (a player without one, the browser).
wait_presented() {
  local line=
  read -r -t "${1:-120}" -u "$ready_fd" line
  if ! [[ "$line" =~ ^[0-9]+$ ]]; then
    exec {ready_fd}<&-
    [[ "$line" == "ended "* ]] && program_ended "${line#ended }"
    kill -0 "$program_pid" 2> /dev/null && fail "no frame presented within ${1:-120} s"
    wait "$program_pid"
    program_ended $?
  fi
  presented=$line
  drain_frames
  [ -n "${xvfb_display:-}" ] && [ "${2:-}" != --no-window ] || return 0
  window_by_title
  [ -n "$window" ] || fail "a frame was presented, but there is no window titled Vimra"
}

drain_frames() {
  cat <&"$ready_fd" > /dev/null &
  frames_drainer=$!
  harness_pids+=("$frames_drainer")
}

# Waits for $1 more presented frames: a change the program takes up at its
# next Present (a new window size, say) is on the screen after two.
wait_frames() {
  local line i
  kill "$frames_drainer" 2> /dev/null
  wait "$frames_drainer" 2> /dev/null
  for ((i = 0; i < $1; i++)); do
    read -r -t 120 -u "$ready_fd" line
    [[ "$line" == "ended "* ]] && fail "the program ended (exit status ${line#ended }) while frames were awaited"
    [ -n "$line" ] || fail "no frame presented within 120 s"
  done
  drain_frames
}

wait_program() {
  sleep "$1" > /dev/null 2>&1 &
  local timer=$! first status
  wait -n -p first "$program_pid" "$timer"
  status=$?
  if [ "$first" != "$program_pid" ]; then
    kill "$program_pid"
    fail "still running after $1 s"
  fi
  kill "$timer"
  code=$status
}

wait_for_line() {
  # tail follows the file as it grows (inotify) and ends with PID; grep ends
  # at the first match.
  timeout "$4" grep -q -m 1 -E "$2" < <(tail -n +1 -F --pid="$3" "$1" 2> /dev/null)
}

focus_window() {
  xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
}

# A 93-byte i386 program that exits with 7: the kernel runs it, or answers
# "Exec format error" where it does not run 32-bit programs.
runs_32bit() {
  case "${VIMRA_32BIT:-}" in
    yes) return 0 ;;
    no) no_32bit_reason="VIMRA_32BIT=no: taken as a machine that does not run 32-bit programs"; return 1 ;;
  esac
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\x31\xdb\xb3\x07\x31\xc0\x40\xcd\x80' > "$work/probe32"
  chmod +x "$work/probe32"
  "$work/probe32" 2> /dev/null
  [ $? -eq 7 ] && return 0
  no_32bit_reason="this machine does not run 32-bit x86 programs (a 32-bit probe gives: $("$work/probe32" 2>&1 | head -n 1))"
  return 1
}

# Wine's Direct3D draws on the program's own thread in the tests' prefixes.
# By default it draws on a thread of its own, which the program's end (with
# the device alive, as the demo ends) kills wherever it is: now and then
# holding a lock the process's own teardown then waits for, and 1 s later
# Wine's server ends the process with SIGKILL (exit code 137 after a run that
# was right: one in three runs of hold-f2 just after a build; none in ten
# without that thread).
start_wine() {
  if [ "$1" = x86 ] && ! runs_32bit; then
    echo "skipped: $no_32bit_reason"
    exit 77
  fi
  # The loader is named, not found through the wine script, which takes the
  # 32-bit one wherever it is installed.
  [ "$1" = x64 ] && loader=/usr/lib/wine/wine64 || loader=/usr/lib/wine/wine
  [ -x "$loader" ] || { echo "skipped: no $loader (package wine64, or wine32:i386 for x86)"; exit 77; }
  # Wine's own messages are off but for the loader's errors (a DLL that
  # cannot be found, say), which a program that never starts is reported with.
  export WINEPREFIX="$2" WINELOADER="$loader" WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
  [ "$1" = x64 ] && export WINEARCH=win64 || export WINEARCH=win32
  # -k does not wait for the server to go: the next case's program, started
  # meanwhile on the same prefix, would be killed with it (exit code 137).
  at_exit 'wineserver -k 2> /dev/null; wineserver -w 2> /dev/null'
  wine_prefix "$loader"
}

wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$1" wineboot -i > "$work/wineboot.log" 2>&1 || fail "wineboot could not make a prefix"
  fi
  if ! grep -q '^"csmt"=dword:00000000' "$WINEPREFIX/user.reg" 2> /dev/null; then
    "$1" reg add 'HKCU\Software\Wine\Direct3D' /v csmt /t REG_DWORD /d 0 /f > "$work/reg.log" 2>&1 ||
      fail "could not set Wine's Direct3D to draw on the program's thread"
  fi
  wineserver -w
}

# ---- pictures of the window ($window) ----

# Captures the window into $work/shot.xwd; pixel X Y then prints "R G B".
capture() {
  try_capture || fail "xwd failed"
}
# The same, false while the window cannot be captured (not mapped yet, say).
try_capture() {
  xwd -silent -id "$window" > "$work/shot.xwd" 2> "$work/xwd.err" || return 1
  read -r header_size _ _ _ shot_width shot_height _ byte_order _ _ _ bits bytes_per_line _ _ _ _ _ _ colours < \
    <(od -An -tu4 --endian=big -N 80 -v -w80 "$work/shot.xwd")
  [ "$bits" -eq 32 ] && [ "$byte_order" -eq 0 ] || fail "unexpected capture format ($bits bits, byte order $byte_order)"
  pixels_at=$((header_size + colours * 12))
}
pixel() {
  local bgr
  bgr=$(od -An -tu1 -j $((pixels_at + $2 * bytes_per_line + $1 * 4)) -N 3 "$work/shot.xwd")
  set -- $bgr
  echo "$3 $2 $1"
}
is_black() { [ "$(pixel "$1" "$2")" = "0 0 0" ]; }
# The window's size once it has settled at $1 x $2.
wait_for_size() {
  for _ in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" -eq "$1" ] && [ "$HEIGHT" -eq "$2" ] && return 0
    sleep 0.1
  done
  fail "the window is ${WIDTH}x$HEIGHT, not $1x$2"
}
# The picture fills the window's width or height and keeps 16:9; the rest is
# black bars. Checked a few pixels inside each edge of the expected picture,
# once the program has presented frames at the window's new size.
bars_problem() {
  local w=$1 h=$2 pw ph left top
  pw=$w; ph=$((w * 9 / 16))
  if [ "$ph" -gt "$h" ]; then ph=$h; pw=$((h * 16 / 9)); fi
  left=$(((w - pw) / 2)); top=$(((h - ph) / 2))
  capture
  [ "$shot_width" -eq "$w" ] && [ "$shot_height" -eq "$h" ] || { echo "captured ${shot_width}x$shot_height"; return; }
  if [ "$top" -gt 2 ]; then
    is_black $((w / 2)) $((top / 2)) || { echo "no bar above ($(pixel $((w / 2)) $((top / 2))))"; return; }
    is_black $((w / 2)) $((h - 1 - top / 2)) || { echo "no bar below"; return; }
  fi
  if [ "$left" -gt 2 ]; then
    is_black $((left / 2)) $((h / 2)) || { echo "no bar on the left ($(pixel $((left / 2)) $((h / 2))))"; return; }
    is_black $((w - 1 - left / 2)) $((h / 2)) || { echo "no bar on the right"; return; }
  fi
  # Just inside each edge of the picture: the demo's sky or its objects, never black.
  for point in "$((left + 3)) $((h / 2))" "$((left + pw - 4)) $((h / 2))" "$((w / 2)) $((top + 3))" \
               "$((w / 2)) $((top + ph - 4))"; do
    if is_black $point; then echo "black inside the picture at $point"; return; fi
  done
}
expect_bars() {
  local problem
  wait_frames 4
  problem=$(bars_problem "$1" "$2")
  [ -z "$problem" ] || fail "$1x$2: $problem"
  cp "$work/shot.xwd" "${E2E_SHOTS:-$work}/bars-$1x$2.xwd" 2> /dev/null
  return 0
}
