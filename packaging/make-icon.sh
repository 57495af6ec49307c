#!/usr/bin/env bash
# Makes the icons from the demo's own frame at 43 600 ms (ring and flyer),
# with the project's tools; run from a built tree:
#   bash packaging/make-icon.sh [BUILD_DIR]
# packaging/vimra.png is the desktop icon (256 px); packaging/windows/vimra.ico
# holds 16, 32, 48 and 256 px for Explorer and the taskbar (icotool from
# icoutils; the 256 px image stored as PNG, as Windows expects);
# web/icon-192.png and web/icon-512.png are the page's app icons (the 512 px
# one, a picture to its edges, is also the maskable icon a phone crops to its
# own shape). Each size is drawn from the frame, none enlarged from another.
# The icons are committed, so building and installing never need this.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/vimra-frame" --data "$root/data" 43600 "$work/frame.png" > /dev/null
for size in 16 32 48 192 256 512; do
  "$build/tools/icon/vimra-icon" "$work/frame.png" "$size" "$work/icon-$size.png"
done
cp "$work/icon-192.png" "$work/icon-512.png" "$root/web/"
cp "$work/icon-256.png" "$root/packaging/vimra.png"
icotool -c -o "$root/packaging/windows/vimra.ico" "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" \
  -r "$work/icon-256.png"
echo "wrote $root/packaging/vimra.png, $root/packaging/windows/vimra.ico and $root/web/icon-{192,512}.png"
