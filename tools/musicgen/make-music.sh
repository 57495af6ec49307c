#!/bin/sh
# Renders the demo's music and encodes it to MP3.
#   tools/musicgen/make-music.sh BUILD_DIR OUTPUT.mp3
# Writes OUTPUT.mp3 and, beside it, the SHA-256 of the rendered WAV
# (data/demodemo.mp3 gets data/demodemo.wav.sha256), which the tests compare
# instead of the encoder's output. The WAV itself and a spectrogram to look
# at stay in BUILD_DIR/tools/musicgen. The render is bit-exact from run to
# run; the MP3 is too for the same LAME version (3.100).
# The build's own data step (VIMRA_GENERATE_DATA) names the generator it has
# built in VIMRA_MUSICGEN and wants the two files alone.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUTPUT.mp3" >&2
  exit 2
fi
build=$1
output=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
musicgen=${VIMRA_MUSICGEN:-}
if [ -z "$musicgen" ]; then
  cmake --build "$build" --target vimra-musicgen
fi

stem=$(basename "$output" .mp3)
work="$build/tools/musicgen"
wav="$work/$stem.wav"
"${musicgen:-$work/vimra-musicgen}" "$wav"

sha256sum < "$wav" | cut -d' ' -f1 > "$(dirname "$output")/$stem.wav.sha256"
# Constant bit rate, no replay-gain scan, fixed quality: nothing in the
# stream depends on the machine or the time of encoding.
lame --quiet --noreplaygain --cbr -b 192 -q 2 -m j "$wav" "$output"
[ -z "$musicgen" ] || exit 0

if command -v sox > /dev/null; then
  sox "$wav" -n remix 1,2 spectrogram -x 1600 -y 513 -z 90 -t "$stem" -o "$work/$stem-spectrogram.png"
  echo "spectrogram: $work/$stem-spectrogram.png"
fi
if command -v ffmpeg > /dev/null; then
  ffmpeg -hide_banner -nostats -i "$output" -af ebur128=peak=true -f null - 2>&1 |
    sed -n '/Summary/,$p' | grep -E 'I:|Peak:'
fi
