#!/usr/bin/env bash
# The demo's page in headless Chromium (tests/web/web_page_test.js), on the
# web build in dist/web (the build_web test makes it first).
#   web_test.sh CASE ROOT [VIMRA_FRAME FRAME_COMPARE]
# Cases: frames (against the desktop program's frames), play, missing-data, escape, no-webgl,
# loading (the bytes counted on a slow network), single-file (a frame of
# dist/vimra-VERSION.html opened from file://, against the desktop's; VIMRA_VERSION names it),
# hidpi and phone (at devicePixelRatio 2, and on an emulated phone at 3: the
# frame drawn at the canvas's device pixels, against the recorder's frame at
# that size; the drawing buffer follows resizes; a tap starts the phone's page),
# app (installable; offline from the service worker's cache after a first
# visit, to the end with the music; a newer release replaces the cache).
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
  hidpi | phone)
    record="$(dirname "$3")/vimra-record"
    compare="$4"
    node "$runner" "$case_name" "$dist" "$work" 45000 || fail "$case_name"
    size=$(cat "$work/size.txt")
    mkdir "$work/recorded"
    "$record" --data "$root/data" --size "$size" --antialias none --start 45 --end 45.02 --quiet \
      "$work/recorded/f%05d.png" > "$work/record.log" 2>&1 || fail "vimra-record --size $size failed"
    "$compare" "$work/recorded/f00000.png" "$work/web-45000.png" || fail "the page's $size frame differs from the recorder's"
    ;;
  play | missing-data | escape | no-webgl | loading | app)
    node "$runner" "$case_name" "$dist" "$work" || fail "$case_name"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
