#!/usr/bin/env bash
# Cross-compiles the Windows program with mingw-w64: the shipped 32-bit one
# into build-windows/ (or the folder given) and a 64-bit one into the same
# name with -x64, and writes dist/vimra-windows-x86.zip and
# dist/vimra-windows-x64.zip: vimra.exe, the five data files and README.txt.
# It builds what the zips and the Wine tests need (vimra, vimra-frame and
# the sound check), with ccache where there is one.
#   scripts/build-windows.sh [BUILD_DIR]
# One build at a time: a second one waits for the first (the test command
# starts one in the background; the Wine tests' fixture runs it again).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-windows}"
"$root/scripts/install-deps.sh"

mkdir -p "$build"
exec {lock}> "$build/.lock"
flock "$lock"
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
fi
dist="$root/dist"
mkdir -p "$dist"

# ARCH TOOLCHAIN_FILE BUILD_DIR
build_one() {
  local name="vimra-windows-$1" folder="$3"
  cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" -DCMAKE_BUILD_TYPE=Release \
    "${launcher[@]}" > /dev/null
  cmake --build "$folder" -j"$(nproc)" --target vimra vimra-frame sound_check capture_control refusing_dsound
  local staging="$folder/zip/$name"
  rm -rf "$folder/zip" && mkdir -p "$staging"
  cp "$folder/vimra.exe" "$staging/"
  mapfile -t data_files < "$folder/data-files.txt"  # the engine's names, listed by the build
  for file in "${data_files[@]}"; do cp "$root/data/$file" "$staging/"; done
  cp "$root/packaging/windows/README.txt" "$staging/"
  "$root/scripts/reproducible-zip.sh" "$folder/zip" "$name" "$dist/$name.zip"
  echo "Wrote $dist/$name.zip"
}
build_one x86 mingw-i686.cmake "$build"
build_one x64 mingw-x86_64.cmake "$build-x64"
