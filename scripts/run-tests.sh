#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite in two rounds, each once,
# with no retries:
#  1. the unit and tool tests, while the browser build (scripts/build-web.sh),
#     both Windows builds (scripts/build-windows.sh) and the fuzzing harnesses
#     (FUZZ_SECONDS each, default 60; 0 skips them) run in the background;
#  2. the runs of the real programs (end-to-end, the music's start, Wine, the
#     browser, the installed package). Their tests depend on the builds through
#     CTest fixtures (build_web, build_windows), which wait for the background
#     builds and bring them up to date; plain ctest in build/ runs them too.
# Each round's time is printed at its end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
export VIMRA_DEPS_CHECKED=1
# A run of a real program that fails keeps its work folder (recordings, the
# sound server's log, screens) there, to be read afterwards.
export VIMRA_KEEP_FAILED="${VIMRA_KEEP_FAILED:-$root/build/failed}"
started=$SECONDS

mkdir -p "$root/build-web" "$root/build-windows"
nice -n 10 "$root/scripts/build-web.sh" > "$root/build-web/build.log" 2>&1 &
web_build=$!
nice -n 10 "$root/scripts/build-windows.sh" "$root/build-windows" > "$root/build-windows/build.log" 2>&1 &
windows_build=$!
"$root/scripts/build.sh"

fuzz_seconds="${FUZZ_SECONDS:-60}"
if [ "$fuzz_seconds" -gt 0 ]; then
  # Its own clang build, then both harnesses side by side.
  nice -n 10 bash "$root/fuzz/run-fuzz.sh" "$fuzz_seconds" > "$root/build/fuzz.log" 2>&1 &
  fuzz_pid=$!
fi

cd "$root/build"
programs='^(e2e_|web_|wine_|package_|capture_|MusicStart|build_)'
status=0
echo "--- unit and tool tests"
round=$SECONDS
ctest --output-on-failure -j"$(nproc)" --timeout 600 -E "$programs" || status=$?
echo "--- unit and tool tests: $((SECONDS - round)) s"

# The fixtures would show a failed build too; its log says more.
wait "$web_build" || { echo "web build failed:"; tail -n 40 "$root/build-web/build.log"; status=1; }
wait "$windows_build" || { echo "Windows build failed:"; tail -n 40 "$root/build-windows/build.log"; status=1; }
if [ "$fuzz_seconds" -gt 0 ]; then
  wait "$fuzz_pid" || status=1
  echo "--- fuzzing"
  cat "$root/build/fuzz.log"
fi

echo "--- runs of the real programs"
round=$SECONDS
ctest --output-on-failure -j"$(nproc)" --timeout 900 -R "$programs" || status=$?
echo "--- runs of the real programs: $((SECONDS - round)) s; the whole command: $((SECONDS - started)) s"
exit $status
