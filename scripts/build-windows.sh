#!/usr/bin/env bash
# Cross-compiles the Windows programs with mingw-w64, 32-bit into
# build-windows/ (or the folder given) and 64-bit into build-windows-x64/,
# and writes dist/vimra-windows-x86.zip and dist/vimra-windows-x64.zip:
# vimra.exe, the five data files and README.txt.
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
dist="$root/dist"
mkdir -p "$dist"
for arch in x86 x64; do
  if [ $arch = x86 ]; then folder="$build" toolchain=mingw-i686; else folder="$build-x64" toolchain=mingw-x86_64; fi
  cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    "${launcher[@]}" > /dev/null
  cmake --build "$folder" -j"$(nproc)"
  staging="$folder/zip/vimra-windows-$arch"
  rm -rf "$folder/zip" && mkdir -p "$staging"
  cp "$folder/vimra.exe" "$staging/"
  mapfile -t data_files < "$folder/data-files.txt"  # the engine's names, listed by the build
  for file in "${data_files[@]}"; do cp "$root/data/$file" "$staging/"; done
  cp "$root/packaging/windows/README.txt" "$staging/"
  "$root/scripts/reproducible-zip.sh" "$folder/zip" "vimra-windows-$arch" "$dist/vimra-windows-$arch.zip"
  echo "Wrote $dist/vimra-windows-$arch.zip"
done
