#!/usr/bin/env bash
# Records the demo to a video file with its music: every frame is rendered
# offscreen by vimra-frame at a steady frame rate (so the recording is smooth
# whatever the machine), then ffmpeg joins the frames and the music.
#   scripts/record-video.sh [OUT.mp4] [FRAMES_PER_SECOND] [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-vimra.mp4}")"
fps="${2:-50}"
seconds="${3:-85.08}"

"$root/scripts/install-deps.sh"
if ! command -v ffmpeg > /dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends ffmpeg
fi
"$root/scripts/build.sh"

frames="$(mktemp -d)"
trap 'rm -rf "$frames"' EXIT
count=$(awk -v s="$seconds" -v f="$fps" 'BEGIN { printf "%d", s * f }')
echo "Rendering $count frames at $fps frames per second..."
# One start-up renders a batch of frames; batches keep the command line short.
batch=200
for ((first = 0; first < count; first += batch)); do
  args=()
  for ((i = first; i < first + batch && i < count; ++i)); do
    args+=("$((i * 1000 / fps))" "$(printf '%s/frame%05d.png' "$frames" "$i")")
  done
  "$root/build/vimra-frame" --data "$root/data" "${args[@]}" > /dev/null
  echo "  $((i < count ? i : count)) of $count"
done

music=()
[ -f "$root/data/demodemo.mp3" ] && music=(-i "$root/data/demodemo.mp3")
ffmpeg -loglevel error -y -framerate "$fps" -i "$frames/frame%05d.png" "${music[@]}" \
  -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 192k -shortest "$out"
echo "Wrote $out"
