#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, and beside it the fuzzing
# harnesses for FUZZ_SECONDS each (default 60; 0 skips them). The browser
# build (scripts/build-web.sh) and the Windows build (scripts/build-windows.sh)
# run in the background beside the desktop build; the web tests and the Wine
# tests wait for them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
mkdir -p "$root/build-web"
echo building > "$root/build-web/status"
"$root/scripts/build-web.sh" > "$root/build-web/build.log" 2>&1 &
web_build=$!
windows="$root/build-windows"
mkdir -p "$windows"
touch "$windows/building"  # before ctest can look; build-windows.sh removes it at the end
"$root/scripts/build-windows.sh" "$windows" > "$windows/build.log" 2>&1 &
windows_build=$!
"$root/scripts/build.sh"

fuzz_seconds="${FUZZ_SECONDS:-60}"
if [ "$fuzz_seconds" -gt 0 ]; then
  # Its own clang build, then both harnesses side by side, while ctest runs.
  bash "$root/fuzz/run-fuzz.sh" "$fuzz_seconds" > "$root/build/fuzz.log" 2>&1 &
  fuzz_pid=$!
fi
cd "$root/build"
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
wait "$web_build" || { echo "web build failed:"; tail -n 40 "$root/build-web/build.log"; status=1; }
wait "$windows_build" || { echo "Windows build failed:"; tail -n 40 "$windows/build.log"; status=1; }
if [ "$fuzz_seconds" -gt 0 ]; then
  wait "$fuzz_pid" || status=1
  echo "--- fuzzing"
  cat "$root/build/fuzz.log"
fi
exit $status
