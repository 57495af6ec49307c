#!/usr/bin/env bash
# Sets up, builds and plays the demo. The program reads its data files from
# the working directory, so it is started in data/. Without a display it
# plays offscreen (nothing to see, the music still plays where there is sound).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  echo "No display found: playing the demo offscreen (SDL_VIDEODRIVER=offscreen)."
  export SDL_VIDEODRIVER=offscreen
fi
cd "$root/data"
exec "$root/build/vimra"
