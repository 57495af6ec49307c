#!/usr/bin/env bash
# The demo's frames, drawn by vimra-frame on Mesa's llvmpipe, against the
# committed pictures docs/frame-*.png (the README's): a change to the engine,
# the GL device or the data that changes the look fails here, even where the
# desktop, Wine and the page still agree with each other.
#   golden_frames.sh [--update] VIMRA_FRAME FRAME_COMPARE DATA_DIR GOLDEN_DIR
# A deliberate change of the look makes them again, in the same commit:
# --update writes the frames drawn here over the pictures (docs/testing.md).
update=
[ "${1:-}" = --update ] && { update=1; shift; }
frame_program="$1"
frame_compare="$2"
data="$3"
golden="$4"
. "$(dirname "$0")/../../support/harness.sh"
# llvmpipe whatever the machine has: the pictures are llvmpipe's (no
# multisampling), and a GPU's would differ on every edge.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
mesa_vendor=/usr/share/glvnd/egl_vendor.d/50_mesa.json
[ -f "$mesa_vendor" ] && export __EGL_VENDOR_LIBRARY_FILENAMES="$mesa_vendor"
times=(10000 20000 30000 45000 60000 80000)
args=()
for t in "${times[@]}"; do args+=("$t" "$work/frame-$t.png"); done
"$frame_program" --data "$data" "${args[@]}" > "$work/frame.log" 2>&1 || fail "vimra-frame failed"
if [ -n "$update" ]; then
  for t in "${times[@]}"; do cp "$work/frame-$t.png" "$golden/frame-$t.png" || fail "cannot write $golden"; done
  (IFS=,; echo "wrote $golden/frame-{${times[*]}}.png")
  exit 0
fi
off=()
for t in "${times[@]}"; do
  "$frame_compare" --golden "$golden/frame-$t.png" "$work/frame-$t.png" "$work/diff-$t.png" > "$work/compare.txt" 2>&1
  case $? in
    0) ;;
    1) off+=("$t") ;;
    *) cat "$work/compare.txt"; fail "cannot compare the frame at $t ms" ;;
  esac
  echo "$t ms: $(sed "s/^[^:]*: //" "$work/compare.txt")"
done
[ ${#off[@]} -eq 0 ] || fail "the frames at ${off[*]} ms no longer look as the committed pictures" \
  "(a deliberate change of the look makes them again: docs/testing.md; VIMRA_KEEP_FAILED=DIR keeps the frames and their differences)"
echo "frames at ${times[*]} ms: as the committed pictures"
