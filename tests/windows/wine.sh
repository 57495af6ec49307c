#!/usr/bin/env bash
# The Windows build run under Wine (its Direct3D 9 over Mesa, on Xvfb), as a
# person would run it on Windows, and checked against the Linux build.
#   wine.sh CASE WINDOWS_BUILD_DIR LINUX_BUILD_DIR DATA_DIR
# Cases: imports, resources, frames, hold-f2, escape, mp3, and music:KIND, a
# hostile music file (tests/support/hostile_music.sh) under the music's name:
# the demo plays to its end in no more memory than with the real music plus 50 MB.
set -uo pipefail
case_name="$1"
windows="$2"
linux="$3"
data="$4"
work="$(mktemp -d)"
trap 'kill ${xvfb_pid:-} 2>/dev/null; [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  for log in out xvfb; do
    [ -s "$work/$log.log" ] && { echo "--- $log.log"; tail -n 40 "$work/$log.log"; }
  done
  exit 1
}

# The Windows build may still be running beside the Linux one (run-tests.sh
# starts it in the background); it marks its folder while it works.
wait_for_windows_build() {
  for _ in $(seq 1200); do
    [ -e "$windows/building" ] || break
    sleep 1
  done
  [ -e "$windows/building" ] && fail "the Windows build in $windows is still running"
  if [ ! -f "$windows/vimra.exe" ]; then
    [ -f "$windows/build.log" ] && tail -n 20 "$windows/build.log"
    fail "no $windows/vimra.exe: build it with scripts/build-windows.sh"
  fi
}

start_wine() {
  command -v wine > /dev/null || { echo "wine missing"; exit 77; }
  command -v Xvfb > /dev/null || { echo "Xvfb missing"; exit 77; }
  # One prefix for all cases (ctest runs them one at a time), made on first use.
  export WINEPREFIX="$linux/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  Xvfb -displayfd 3 -screen 0 1280x800x24 +extension GLX -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$work/display" ]; then
      export DISPLAY=":$(head -n 1 "$work/display")"
      xdotool getdisplaygeometry > /dev/null 2>&1 && break
    fi
    sleep 0.1
  done
  [ -n "${DISPLAY:-}" ] || fail "Xvfb did not start"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i > "$work/out.log" 2>&1 || fail "wineboot could not make a prefix"
  fi
}

. "$(dirname "$0")/../support/wait_for_window.sh"

# Runs vimra.exe in folder $1 (default the data); its peak memory goes to $work/time.log.
start_demo() {
  (cd "${1:-$data}" && exec /usr/bin/time -v -o "$work/time.log" wine "$windows/vimra.exe" > "$work/out.log" 2>&1) &
  demo_pid=$!
}

# Plays the demo from folder $1 (default the data) with F2 held to its end.
play_fast() {
  start_demo "${1:-}"
  wait_for_window "$demo_pid"
  xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
  xdotool keydown F2
  wait_demo 150
  xdotool keyup F2 2> /dev/null
}

wait_demo() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$demo_pid" 2> /dev/null; do
    [ $SECONDS -ge "$deadline" ] && { kill -9 "$demo_pid"; fail "still running after $1 s"; }
    sleep 0.1
  done
  wait "$demo_pid"
  code=$?
}

case "$case_name" in
  imports)
    wait_for_windows_build
    description="$(file -b "$windows/vimra.exe")"
    echo "vimra.exe: $description"
    [[ "$description" == "PE32 executable (GUI) Intel 80386"* ]] || fail "not a 32-bit GUI program"
    command -v i686-w64-mingw32-objdump > /dev/null || fail "i686-w64-mingw32-objdump missing"
    imports="$(i686-w64-mingw32-objdump -p "$windows/vimra.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)"
    echo "imports: $(echo $imports)"
    [ -n "$imports" ] || fail "no import table"
    # DLLs every Windows has: no C++ runtime, no D3DX, no sound library.
    allowed=" advapi32.dll d3d9.dll dsound.dll gdi32.dll kernel32.dll msacm32.dll msvcrt.dll ole32.dll user32.dll winmm.dll "
    for dll in $imports; do
      [[ "$allowed" == *" $dll "* ]] || fail "imports $dll, which a stock Windows may lack"
    done
    for dll in d3d9.dll dsound.dll msacm32.dll winmm.dll user32.dll; do
      [[ " $(echo $imports) " == *" $dll "* ]] || fail "does not import $dll"
    done
    # Every imported function is in the oldest Windows the README promises.
    i686-w64-mingw32-objdump -p "$windows/vimra.exe" |
      awk '/DLL Name:/ { dll = tolower($3) } dll && /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { print dll, $3 }' |
      sort -u > "$work/functions"
    echo "$(wc -l < "$work/functions") functions imported"
    newer="$(grep -v '^#' "$(dirname "$0")/vista-imports.txt" | sort -u | comm -23 "$work/functions" -)"
    [ -z "$newer" ] || fail "imports functions not known to be in Windows Vista: $(echo $newer)"
    ;;
  resources)
    wait_for_windows_build
    exec "$(dirname "$0")/resources.sh" "$windows" "$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$linux/CMakeCache.txt")"
    ;;
  frames)
    wait_for_windows_build
    start_wine
    results="$linux/windows-frames"
    rm -rf "$results" && mkdir -p "$results"
    args_win=() args_linux=()
    for t in 10000 30000 45000 60000 80000; do
      args_win+=("$t" "$results/wine-$t.png")
      args_linux+=("$t" "$results/linux-$t.png")
    done
    wine "$windows/vimra-frame.exe" --data "$data" "${args_win[@]}" > "$work/out.log" 2>&1 || fail "vimra-frame.exe failed"
    "$linux/vimra-frame" --data "$data" "${args_linux[@]}" >> "$work/out.log" 2>&1 || fail "vimra-frame failed"
    status=0
    for t in 10000 30000 45000 60000 80000; do
      figures="$("$linux/tests/windows/frame_diff" "$results/wine-$t.png" "$results/linux-$t.png" "$results/diff-$t.png")" ||
        fail "cannot compare the frames at $t ms"
      echo "$t ms: $figures (per channel R G B, in 1/255)"
      # Limits: mean absolute error 1/255 and 99th percentile 8/255 per channel.
      read -r _ m1 m2 m3 _ p1 p2 p3 _ <<< "$figures"
      if ! awk -v a="$m1" -v b="$m2" -v c="$m3" 'BEGIN { exit !(a <= 1 && b <= 1 && c <= 1) }' ||
        [ "$p1" -gt 8 ] || [ "$p2" -gt 8 ] || [ "$p3" -gt 8 ]; then
        echo "  over the limits: see $results"
        status=1
      fi
    done
    [ $status -eq 0 ] || fail "Wine's Direct3D 9 and the GL device differ"
    ;;
  hold-f2)
    wait_for_windows_build
    start_wine
    play_fast
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  escape)
    wait_for_windows_build
    start_wine
    start_demo
    wait_for_window "$demo_pid"
    sleep 2
    xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
    xdotool keydown Escape
    wait_demo 60
    xdotool keyup Escape 2> /dev/null
    [ "$code" -eq 0 ] || fail "exit code $code after Escape"
    ;;
  mp3)
    wait_for_windows_build
    start_wine
    (cd "$data" && wine "$windows/tests/windows/sound_check.exe" demodemo.mp3) > "$work/out.log" 2>&1
    code=$?
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  music:*)
    [ -e "$windows/vimra.exe" ] || [ -e "$windows/building" ] || { echo "no Windows build in $windows"; exit 77; }
    wait_for_windows_build
    . "$(dirname "$0")/../support/hostile_music.sh"
    mkdir "$work/data"
    cp -r "$data"/. "$work/data"
    write_hostile_music "${case_name#music:}" "$work/data/demodemo.mp3" || fail "cannot write the music file"
    start_wine
    play_real_and_hostile play_fast "$data" "$work/data" "${case_name#music:}"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
