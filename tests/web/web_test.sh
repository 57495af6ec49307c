#!/usr/bin/env bash
# The demo's page in headless Chromium (tests/web/web_page_test.js), on the
# web build in dist/web. Started beside that build (scripts/run-tests.sh runs
# scripts/build-web.sh in the background), it waits for the build to finish.
#   web_test.sh CASE ROOT [VIMRA_FRAME WEB_FRAME_COMPARE]
# Cases: frames (against the desktop program's frames), play, missing-data, escape, no-webgl,
# loading (the bytes counted on a slow network), single-file (a frame of
# dist/vimra-VERSION.html opened from file://, against the desktop's; VIMRA_VERSION names it).
set -uo pipefail
case_name="$1"
root="$2"
status="$root/build-web/status"
dist="$root/dist/web"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

command -v chromium > /dev/null || { echo "chromium missing (scripts/install-deps.sh installs it)"; exit 77; }
command -v node > /dev/null || { echo "node missing"; exit 77; }
if [ ! -f "$status" ]; then
  [ -f "$dist/index.html" ] || { echo "no web build: run scripts/build-web.sh"; exit 77; }
else
  # A cold emscripten cache makes the first build slow.
  for _ in $(seq 1200); do
    [ "$(cat "$status")" != building ] && break
    sleep 1
  done
  [ "$(cat "$status")" = ok ] || { echo "the web build is $(cat "$status") (see scripts/build-web.sh)"; exit 1; }
fi

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
    "$vimra_frame" --data "$root/data" "${args[@]}" > /dev/null || { echo "vimra-frame failed"; exit 1; }
    node "$runner" "$case_name" "$page" "$work" "${times[@]}" || exit 1
    failed=0
    for t in "${times[@]}"; do
      "$compare" "$work/desktop-$t.png" "$work/web-$t.png" || failed=1
    done
    exit $failed
    ;;
  play | missing-data | escape | no-webgl | loading)
    exec node "$runner" "$case_name" "$dist" "$work"
    ;;
  *)
    echo "web_test.sh: unknown case $case_name"
    exit 2
    ;;
esac
