#!/usr/bin/env bash
# Records the demo to a video with its music through vimra-record (after
# installing what is missing and building):
#   scripts/record-video.sh [vimra-record options] [OUTPUT]   (default OUTPUT: vimra.mp4)
# for example: scripts/record-video.sh --size 1080p --fps 60 vimra-1080p.mp4
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
args=("$@")
[ $# -eq 0 ] && args=(vimra.mp4)
exec "$root/build/vimra-record" --data "$root/data" "${args[@]}"
