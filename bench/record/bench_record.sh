#!/usr/bin/env bash
# Records the whole demo as a person would share it and prints the time it
# took, that time over the demo's 85.08 s, and the memory of the recorder and
# of ffmpeg sampled every two seconds from 10 s in, after start-up (first,
# last and peak: a flat line is the target). Two cases: 1280x720 at 50 fps without antialiasing, and
# 1920x1080 at 60 fps with the recorder's default antialiasing.
# The CPU time of the recorder and ffmpeg together tells what the run needs
# on a machine that other work shares.
#   bench_record.sh [KEEP_DIR [CASE...]]   (KEEP_DIR keeps the recordings;
#   cases: 720p50-none, 1080p60-auto; default both)
recorder="@RECORDER@"
data="@DATA@"
keep="${1:-}"
cases=("${@:2}")
[ ${#cases[@]} -eq 0 ] && cases=(720p50-none 1080p60-auto)
. "@PROJECT_SOURCE_DIR@/tests/support/harness.sh"
set -e

rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status" 2> /dev/null || echo 0; }

run_case() {
  local name="$1"; shift
  local file="$work/$name.mp4"
  echo "== $name: vimra-record $*"
  echo "   load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
  local started; started="$(date +%s.%N)"
  /usr/bin/time -f "%U %S" -o "$work/$name.cpu" "$recorder" --quiet --data "$data" "$@" "$file" &
  local timer=$! pid=""
  while [ -z "$pid" ] && kill -0 "$timer" 2> /dev/null; do pid="$(pgrep -P "$timer" || true)"; sleep 0.1; done
  local first="" last=0 peak=0 ffpeak=0 ff rss
  local waited=0
  while kill -0 "$pid" 2> /dev/null; do
    if [ "$waited" -lt 10 ]; then sleep 2; waited=$((waited + 2)); continue; fi
    rss="$(rss_kb "$pid")"
    [ -n "$rss" ] && [ "$rss" -gt 0 ] || { sleep 2; continue; }
    [ -z "$first" ] && first="$rss"
    last="$rss"; [ "$rss" -gt "$peak" ] && peak="$rss"
    for ff in $(pgrep -P "$pid" 2> /dev/null); do
      rss="$(rss_kb "$ff")"; [ -n "$rss" ] && [ "$rss" -gt "$ffpeak" ] && ffpeak="$rss"
    done
    sleep 2
  done
  wait "$timer"
  local ended; ended="$(date +%s.%N)"
  awk -v s="$started" -v e="$ended" 'BEGIN { t = e - s; printf "   time %.1f s, %.2f x the demo length (85.08 s)\n", t, t / 85.08 }'
  awk '{ c = $1 + $2; printf "   CPU %.1f s (recorder and ffmpeg); on two idle cores at best %.1f s, %.2f x the demo length\n", c, c / 2, c / 2 / 85.08 }' "$work/$name.cpu"
  echo "   recorder RSS: first sample $((first / 1024)) MiB, last $((last / 1024)) MiB, peak $((peak / 1024)) MiB; ffmpeg peak $((ffpeak / 1024)) MiB"
  echo "   load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  if [ -n "$keep" ]; then mkdir -p "$keep" && cp "$file" "$keep/"; fi
}

for name in "${cases[@]}"; do
  case "$name" in
  720p50-none) run_case "$name" --size 720p --fps 50 --antialias none ;;
  1080p60-auto) run_case "$name" --size 1080p --fps 60 ;;
  *) fail "unknown case $name (720p50-none, 1080p60-auto)" ;;
  esac
done
