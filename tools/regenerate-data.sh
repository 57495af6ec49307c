#!/bin/sh
# Rebuilds the data generators and regenerates every file in data/ bit for bit:
# the meshes (cubedef.obj, cyldef.obj, isodef.obj), the cube map (cube.dds)
# and the music (demodemo.mp3 with the hash of its WAV).
#   tools/regenerate-data.sh [BUILD_DIR]      (BUILD_DIR defaults to build)
# Then `git status data/` shows whether anything changed. Pictures of the
# result: BUILD_DIR/tools/data-pictures/vimra-data-pictures data OUT_DIR.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target vimra-meshgen vimra-cubegen

"$build/tools/meshgen/vimra-meshgen" "$repo/data"
"$build/tools/cubegen/vimra-cubegen" "$repo/data/cube.dds"
"$repo/tools/musicgen/make-music.sh" "$build" "$repo/data/demodemo.mp3"
