#!/usr/bin/env bash
# Cross-compiles the 32-bit Windows program with mingw-w64 into build-windows/
# (or the folder given) and writes dist/vimra-windows.zip: vimra.exe, the five
# data files and README.txt.
#   scripts/build-windows.sh [BUILD_DIR]
# The folder holds a file named "building" while the build runs; the Wine
# tests wait for it to go.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-windows}"
"$root/scripts/install-deps.sh"

mkdir -p "$build"
touch "$build/building"
trap 'rm -f "$build/building"' EXIT
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"

dist="$root/dist"
staging="$build/vimra-windows"
rm -rf "$staging" && mkdir -p "$staging" "$dist"
cp "$build/vimra.exe" "$staging/"
mapfile -t data_files < "$build/data-files.txt"  # the engine's names, listed by the build
for file in "${data_files[@]}"; do
  cp "$root/data/$file" "$staging/"
done
cp "$root/packaging/windows/README.txt" "$staging/"
rm -f "$dist/vimra-windows.zip"
(cd "$build" && zip -q -9 -r "$dist/vimra-windows.zip" vimra-windows)
echo "Wrote $dist/vimra-windows.zip"
