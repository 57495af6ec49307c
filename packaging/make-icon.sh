#!/usr/bin/env bash
# Makes the desktop icon packaging/vimra.png from the demo's own frame at
# 43 600 ms (ring and flyer), with the project's tools; run from a built tree:
#   bash packaging/make-icon.sh [BUILD_DIR]
# The icon is committed, so building and installing never need this.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
frame="$(mktemp --suffix=.png)"
trap 'rm -f "$frame"' EXIT
"$build/vimra-frame" --data "$root/data" 43600 "$frame" > /dev/null
"$build/tools/icon/vimra-icon" "$frame" 256 "$root/packaging/vimra.png"
echo "wrote $root/packaging/vimra.png"
