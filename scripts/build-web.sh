#!/usr/bin/env bash
# Builds the demo for the browser with emscripten into build-web/ (or the
# folder given) and writes dist/web/: index.html, vimra.js, vimra.wasm, the
# five data files, and the web app's manifest, icons and service worker
# (sw.js). Serve that folder (scripts/serve-web.sh) and open it.
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
# The web app: its manifest and icons, and the service worker that keeps the
# page and these files for offline play. Its cache is named after the version
# and the files' contents, so that any change to them makes a new one.
app_files=(manifest.webmanifest icon-192.png icon-512.png)
for file in "${app_files[@]}"; do cp "$root/web/$file" "$dist/"; done
kept=(index.html vimra.js vimra.wasm "${data_files[@]}" "${app_files[@]}")
version="$(sed -n 's/^project(Vimra VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
contents="$(cd "$dist" && cat "${kept[@]}" | sha256sum | cut -c1-12)"
urls="$(printf "'%s', " ./ "${kept[@]:1}")"  # the page as its folder's address
sed -e "s/@CACHE@/vimra-$version-$contents/" -e "s|@FILES@|[${urls%, }]|" "$root/web/sw.js" > "$dist/sw.js"

single="$(ls "$build"/web/vimra-*.html)"
rm -f "$root"/dist/vimra-*.html
cp "$single" "$root/dist/"
echo "Built $dist:"
(cd "$dist" && du -b index.html vimra.js vimra.wasm "${data_files[@]}" "${app_files[@]}" sw.js)
echo "and $root/dist/$(basename "$single"): $(du -b "$single" | cut -f1) bytes"
