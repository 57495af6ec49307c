#!/usr/bin/env bash
# The demo's frames drawn with the GL state cache switched off
# (VIMRA_GL_NO_CACHE=1) are byte for byte the frames drawn with it.
#   no_cache_frames.sh VIMRA_FRAME DATA_DIR
frame_program="$1"
data="$2"
. "$(dirname "$0")/../../support/harness.sh"
times=(10000 45000 80000)
cached=() uncached=()
for t in "${times[@]}"; do
  cached+=("$t" "$work/cached-$t.png")
  uncached+=("$t" "$work/uncached-$t.png")
done
"$frame_program" --data "$data" "${cached[@]}" > "$work/cached.log" 2>&1 || fail "vimra-frame failed"
VIMRA_GL_NO_CACHE=1 "$frame_program" --data "$data" "${uncached[@]}" > "$work/uncached.log" 2>&1 ||
  fail "vimra-frame failed with VIMRA_GL_NO_CACHE=1"
for t in "${times[@]}"; do
  cmp "$work/cached-$t.png" "$work/uncached-$t.png" || fail "the frame at $t ms differs without the cache"
done
echo "frames at ${times[*]} ms: identical with the cache off"
