#!/usr/bin/env bash
# A Windows build run under Wine (its Direct3D 9 over Mesa, on Xvfb), as a
# person would run it on Windows, and checked against the Linux build.
#   wine.sh CASE ARCH WINDOWS_BUILD_DIR LINUX_BUILD_DIR DATA_DIR
# Cases: imports, resources, frames, bars, hold-f2, escape, mp3, and music:KIND, a
# hostile music file (tests/support/hostile_music.sh) under the music's name:
# the demo plays to its end in no more memory than with the real music plus 50 MB.
# ARCH: x64 (64-bit Wine, which every machine runs) or x86 (the shipped 32-bit
# program under 32-bit Wine, skipped where the machine does not run 32-bit programs).
case_name="$1"
arch="$2"
windows="$3"
linux="$4"
data="$5"
. "$(dirname "$0")/../support/harness.sh"

case "$arch" in
  x64) pe="PE32+ executable (GUI) x86-64" objdump=x86_64-w64-mingw32-objdump ;;
  x86) pe="PE32 executable (GUI) Intel 80386" objdump=i686-w64-mingw32-objdump ;;
  *) fail "unknown architecture $arch" ;;
esac
[ -f "$windows/vimra.exe" ] || fail "no $windows/vimra.exe: build it with scripts/build-windows.sh"

# One prefix per architecture, made on first use (ctest runs one case of an
# architecture at a time). Options go to Xvfb (a larger -screen, say).
start_wine_here() {
  start_xvfb "$@"
  start_wine "$arch" "$linux/wineprefix-$arch"
}

# Plays vimra.exe from folder $1 (default the data) with F2 held to its end;
# its exit code in $code, its peak memory in $work/time.txt.
play_fast() {
  start_program "${1:-$data}" /usr/bin/time -v -o "$work/time.txt" "$loader" "$windows/vimra.exe"
  wait_presented
  focus_window
  xdotool keydown F2
  wait_program 150
  xdotool keyup F2 2> /dev/null
}

case "$case_name" in
  bars)
    # The window made larger than 1280x720 needs: the device is reset to the
    # client area's size and the picture drawn in its largest 16:9 part, with
    # black bars, at its pixels (not the 1280x720 back buffer stretched over
    # the whole client area); then back at the start size.
    command -v xwd > /dev/null || { echo "xwd missing"; exit 77; }
    start_wine_here -screen 0 1920x1200x24
    start_program "$data" "$loader" "$windows/vimra.exe"
    wait_presented
    # Resized only once the demo shows its picture, a few frames on: Wine
    # sets the window's size itself until then.
    wait_frames 4
    eval "$(xdotool getwindowgeometry --shell "$window")"
    capture
    ! is_black $((WIDTH / 2)) $((HEIGHT / 2)) || fail "no picture in the window after its first frames"
    start_width=$WIDTH start_height=$HEIGHT
    xdotool windowsize "$window" 1700 1000
    wait_for_size 1700 1000
    expect_bars 1700 1000
    xdotool windowsize "$window" "$start_width" "$start_height"
    wait_for_size "$start_width" "$start_height"
    focus_window
    xdotool keydown Escape
    wait_program 60
    xdotool keyup Escape 2> /dev/null
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  imports)
    description="$(file -b "$windows/vimra.exe")"
    echo "vimra.exe: $description"
    [[ "$description" == "$pe"* ]] || fail "not a $pe"
    command -v "$objdump" > /dev/null || fail "$objdump missing"
    imports="$("$objdump" -p "$windows/vimra.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)"
    echo "imports: $(echo $imports)"
    [ -n "$imports" ] || fail "no import table"
    # DLLs every Windows has: no C++ runtime, no D3DX, no sound library.
    allowed=" advapi32.dll d3d9.dll dsound.dll gdi32.dll kernel32.dll msacm32.dll msvcrt.dll ole32.dll user32.dll winmm.dll "
    for dll in $imports; do
      [[ "$allowed" == *" $dll "* ]] || fail "imports $dll, which a stock Windows may lack"
    done
    # So does every other program and DLL of the build that the tests run: one
    # that needs a DLL no prefix has never starts (Wine's status c0000135).
    while IFS= read -r -d '' binary; do
      for dll in $("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        [[ "$allowed" == *" $dll "* ]] || fail "${binary#"$windows"/} imports $dll, which a stock Windows may lack"
      done
      echo "${binary#"$windows"/}: system DLLs only"
    done < <(find "$windows" -path '*/CMakeFiles' -prune -o \( -name '*.exe' -o -name '*.dll' \) -type f -print0 | sort -z)
    for dll in dsound.dll msacm32.dll winmm.dll user32.dll; do
      [[ " $(echo $imports) " == *" $dll "* ]] || fail "does not import $dll"
    done
    # Direct3D 9 is loaded by name: the program's own Direct3DCreate9 puts
    # the system's device behind one that follows the window.
    strings -a "$windows/vimra.exe" > "$work/strings"
    grep -qx 'd3d9.dll' "$work/strings" || fail "does not load d3d9.dll"
    # Every imported function is in the oldest Windows the README promises.
    "$objdump" -p "$windows/vimra.exe" |
      awk '/DLL Name:/ { dll = tolower($3) } dll && /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { print dll, $3 }' |
      sort -u > "$work/functions"
    echo "$(wc -l < "$work/functions") functions imported"
    newer="$(grep -v '^#' "$(dirname "$0")/vista-imports.txt" | sort -u | comm -23 "$work/functions" -)"
    [ -z "$newer" ] || fail "imports functions not known to be in Windows Vista: $(echo $newer)"
    ;;
  resources)
    "$(dirname "$0")/resources.sh" "$windows" "$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$linux/CMakeCache.txt")"
    exit $?
    ;;
  frames)
    start_wine_here
    results="$linux/windows-frames-$arch"
    rm -rf "$results" && mkdir -p "$results"
    args_win=() args_linux=()
    for t in 10000 30000 45000 60000 80000; do
      args_win+=("$t" "$results/wine-$t.png")
      args_linux+=("$t" "$results/linux-$t.png")
    done
    "$loader" "$windows/vimra-frame.exe" --data "$data" "${args_win[@]}" > "$work/out.log" 2>&1 ||
      fail "vimra-frame.exe failed"
    "$linux/vimra-frame" --data "$data" "${args_linux[@]}" >> "$work/out.log" 2>&1 || fail "vimra-frame failed"
    status=0
    for t in 10000 30000 45000 60000 80000; do
      "$linux/tests/support/frame_compare" "$results/linux-$t.png" "$results/wine-$t.png" "$results/diff-$t.png" ||
        status=1
    done
    [ $status -eq 0 ] || fail "Wine's Direct3D 9 and the GL device differ: see $results"
    ;;
  hold-f2)
    start_wine_here
    play_fast
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  escape)
    start_wine_here
    start_program "$data" "$loader" "$windows/vimra.exe"
    wait_presented
    focus_window
    # Held until the program ends: its frame loop reads the key's state.
    xdotool keydown Escape
    wait_program 60
    xdotool keyup Escape 2> /dev/null
    [ "$code" -eq 0 ] || fail "exit code $code after Escape"
    ;;
  mp3)
    start_wine_here
    (cd "$data" && "$loader" "$windows/tests/windows/sound_check.exe" demodemo.mp3) > "$work/out.log" 2>&1
    code=$?
    cat "$work/out.log"
    [ "$code" -eq 0 ] || fail "exit code $code"
    ;;
  music:*)
    . "$(dirname "$0")/../support/hostile_music.sh"
    mkdir "$work/data"
    cp -r "$data"/. "$work/data"
    write_hostile_music "${case_name#music:}" "$work/data/demodemo.mp3" || fail "cannot write the music file"
    start_wine_here
    play_real_and_hostile play_fast "$data" "$work/data" "${case_name#music:}"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $arch $case_name"
