#!/usr/bin/env bash
# The demo's page in headless Chromium (tests/web/web_page_test.js), on the
# web build in dist/web (the build_web test makes it first).
#   web_test.sh CASE ROOT [VIMRA_FRAME FRAME_COMPARE]
# Cases: frames (against the desktop program's frames), play, missing-data, escape, no-webgl,
# loading (the bytes counted on a slow network), single-file (a frame of
# dist/vimra-VERSION.html opened from file://, against the desktop's; VIMRA_VERSION names it).
case_name="$1"
root="$2"
dist="$root/dist/web"
. "$(dirname "$0")/../support/harness.sh"

command -v chromium > /dev/null || { echo "chromium missing (scripts/install-deps.sh installs it)"; exit 77; }
command -v node > /dev/null || { echo "node missing"; exit 77; }
[ -f "$dist/index.html" ] || fail "no web build in $dist: run scripts/build-web.sh"

runner="$(dirname "$0")/web_page_test.js"
case "$case_name" in
  frames | single-file)
    vimra_frame="$3"
    compare="$4"
    times=(10000 30000 45000 60000 80000)
    page="$dist"
    if [ "$case_name" = single-file ]; then
      times=(45000)
      page="$root/dist/vimra-$VIMRA_VERSION.html"
      echo "$(basename "$page"): $(du -b "$page" | cut -f1) bytes"
    fi
    args=()
    for t in "${times[@]}"; do args+=("$t" "$work/desktop-$t.png"); done
    "$vimra_frame" --data "$root/data" "${args[@]}" > "$work/frame.log" 2>&1 || fail "vimra-frame failed"
    node "$runner" "$case_name" "$page" "$work" "${times[@]}" || fail "the page did not draw the frames"
    failed=0
    for t in "${times[@]}"; do
      "$compare" "$work/desktop-$t.png" "$work/web-$t.png" || failed=1
    done
    [ $failed -eq 0 ] || fail "the page's frames differ from the desktop program's"
    ;;
  play | missing-data | escape | no-webgl | loading)
    node "$runner" "$case_name" "$dist" "$work" || fail "$case_name"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
