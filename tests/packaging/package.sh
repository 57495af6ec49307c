#!/usr/bin/env bash
# The demo installed like a program, from cmake --install and from the Debian
# package, each run from / as a user would start it.
#   package.sh CASE BUILD_DIR VERSION     cases: install, deb
case_name="$1"
build="$2"
version="$3"
. "$(dirname "$0")/../support/harness.sh"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
files=(
  bin/vimra bin/vimra-frame
  share/vimra/cubedef.obj share/vimra/cyldef.obj share/vimra/isodef.obj share/vimra/cube.dds share/vimra/demodemo.mp3
  share/man/man6/vimra.6.gz share/applications/vimra.desktop share/icons/hicolor/256x256/apps/vimra.png
  share/doc/vimra/README.md
)

# Runs the installed demo from /, headless and silent, until its first frame
# is presented; it must find its data beside itself and end cleanly on
# SIGTERM (a quit).
run_installed() {
  local prefix="$1"
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy start_program / "$prefix/bin/vimra"
  wait_presented
  kill -TERM "$program_pid"
  wait_program 30
  [ "$code" -eq 0 ] || fail "the installed demo ended with $code"
  grep -qx "vimra: playing from $prefix/share/vimra (the working directory has no data files)" "$work/out.log" ||
    fail "the installed demo did not play from $prefix/share/vimra"
  "$prefix/bin/vimra-frame" --version > "$work/out.log" || fail "vimra-frame --version failed"
  grep -qx "vimra-frame (Vimra) $version" "$work/out.log" || fail "vimra-frame --version: $(cat "$work/out.log")"
  # vimra-frame finds the installed data as the demo does, and says nothing more.
  (cd / && "$prefix/bin/vimra-frame" 45000 "$work/frame.png" > "$work/out.log" 2> "$work/err.log") ||
    fail "the installed vimra-frame failed"
  [ -s "$work/frame.png" ] || fail "no frame written"
  if grep -q "missing" "$work/err.log"; then fail "vimra-frame misses data files"; fi
}

case "$case_name" in
  install)
    cmake --install "$build" --prefix "$work/prefix" > "$work/out.log" 2>&1 || fail "cmake --install failed"
    for file in "${files[@]}"; do [ -f "$work/prefix/$file" ] || fail "not installed: $file"; done
    (cd "$work/prefix" && find . -type f | sort)
    run_installed "$work/prefix"
    ;;
  deb)
    command -v dpkg-deb > /dev/null || { echo "dpkg-deb missing"; exit 77; }
    (cd "$build" && cpack -G DEB -B "$work/package" > "$work/out.log" 2>&1) || fail "cpack failed"
    deb="$work/package/vimra_${version}_amd64.deb"
    [ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/package")"
    dpkg-deb -c "$deb" > "$work/contents"
    for file in "${files[@]}"; do grep -q " ./usr/$file$" "$work/contents" || fail "not in the package: /usr/$file"; done
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    for library in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libepoxy0 libmpg123-0 libasound2 libstdc++6 libgl1 libegl1; do
      [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
    done
    dpkg -x "$deb" "$work/root" || fail "dpkg -x failed"
    run_installed "$work/root/usr"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
