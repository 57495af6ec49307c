#!/usr/bin/env bash
# Builds the demo for the browser with emscripten into build-web/ (or the
# folder given) and writes dist/web/: index.html, vimra.js, vimra.wasm and
# the five data files. Serve that folder (scripts/serve-web.sh) and open it.
# It also writes dist/vimra-VERSION.html, the single-file page that plays
# from the disk.
# One build at a time: a second one waits for the first (the test command
# starts one in the background; the browser tests' fixture runs it again).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-web}"
dist="$root/dist/web"
"$root/scripts/install-deps.sh"

mkdir -p "$build"
exec {lock}> "$build/.lock"
flock "$lock"

# Debian's emcc runs its JavaScript tools with node and needs Debian's node
# modules (acorn) when the machine's node is not Debian's own.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"${VIMRA_BUILD_JOBS:-$(nproc)}"

rm -rf "$dist"
mkdir -p "$dist"
cp "$build/web/vimra.html" "$dist/index.html"
cp "$build/web/vimra.js" "$build/web/vimra.wasm" "$dist/"
mapfile -t data_files < "$build/data-files.txt"  # the engine's names, listed by the build
for file in "${data_files[@]}"; do cp "$root/data/$file" "$dist/"; done
single="$(ls "$build"/web/vimra-*.html)"
rm -f "$root"/dist/vimra-*.html
cp "$single" "$root/dist/"
echo "Built $dist:"
(cd "$dist" && du -b index.html vimra.js vimra.wasm "${data_files[@]}")
echo "and $root/dist/$(basename "$single"): $(du -b "$single" | cut -f1) bytes"
