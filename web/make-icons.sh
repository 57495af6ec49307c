#!/usr/bin/env bash
# Makes the page's app icons, web/icon-192.png and web/icon-512.png, as
# packaging/make-icon.sh makes the desktop icon: from the demo's own frame at
# 43 600 ms, with the project's tools, at each size (not the 256 px icon
# enlarged). The 512 px one, a picture to its edges, is also the maskable icon
# that a phone crops to its own shape. Run from a built tree:
#   bash web/make-icons.sh [BUILD_DIR]
# The icons are committed, so building never needs this.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/vimra-frame" --data "$root/data" 43600 "$work/frame.png" > /dev/null
for size in 192 512; do
  "$build/tools/icon/vimra-icon" "$work/frame.png" "$size" "$root/web/icon-$size.png"
done
echo "wrote $root/web/icon-192.png and $root/web/icon-512.png"
