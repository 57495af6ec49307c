#!/usr/bin/env bash
# Makes the icons from the demo's own frame at 43 600 ms (ring and flyer),
# with the project's tools; run from a built tree:
#   bash packaging/make-icon.sh [BUILD_DIR]
# packaging/vimra.png is the desktop icon (256 px); packaging/windows/vimra.ico
# holds 16, 32, 48 and 256 px for Explorer and the taskbar (icotool from
# icoutils; the 256 px image stored as PNG, as Windows expects).
# The icons are committed, so building and installing never need this.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/vimra-frame" --data "$root/data" 43600 "$work/frame.png" > /dev/null
for size in 16 32 48 256; do
  "$build/tools/icon/vimra-icon" "$work/frame.png" "$size" "$work/icon-$size.png"
done
cp "$work/icon-256.png" "$root/packaging/vimra.png"
icotool -c -o "$root/packaging/windows/vimra.ico" "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" \
  -r "$work/icon-256.png"
echo "wrote $root/packaging/vimra.png and $root/packaging/windows/vimra.ico"
