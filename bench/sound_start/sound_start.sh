#!/usr/bin/env bash
# How soon a sound is heard after FSOUND_PlaySound on a silent output, at a
# private PulseAudio server (tests/support/pulse.sh), over RUNS runs:
#   bash bench/sound_start/sound_start.sh [BUILD] [RUNS]
# Prints each run's latency (the recording's first loud sample after the
# moment of the call) and their median.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-5}"
. "$root/tests/support/harness.sh"
. "$root/tests/support/pulse.sh"
at_exit 'pulse_stop'
sox -n -r 44100 -c 1 -b 16 "$work/tone.wav" synth 0.3 sine 1000 vol 0.5 || fail "sox missing"
pulse_start "$work"
latencies=()
for run in $(seq "$runs"); do
  pulse_record "$work/run$run.wav"
  rm -f "$work/log.fifo"
  mkfifo "$work/log.fifo"
  $realtime "$build/tests/capture/capture_frames" "$work/log.fifo" "$record_file" "$work/at$run.txt" > /dev/null &
  frames=$!
  harness_pids+=("$frames")
  SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-pulseaudio}" VIMRA_FRAME_LOG="$work/log.fifo" \
    "$build/bench/sound_start/bench_sound_start" "$work/tone.wav" || fail "the bench program failed"
  wait "$frames"
  pulse_stop_recording
  called=$(cut -d' ' -f2 "$work/at$run.txt")
  latency=$(python3 - "$work/run$run.wav" "$called" << 'PY'
import struct, sys, wave
w = wave.open(sys.argv[1]); called = int(sys.argv[2])
data = w.readframes(w.getnframes())
samples = struct.unpack("<%dh" % (len(data) // 2), data)
for frame in range(called, len(samples) // 2):
    if abs(samples[2 * frame]) > 4000:
        print("%.1f" % ((frame - called) / 44.1)); break
else:
    print("none")
PY
)
  echo "run $run: heard ${latency} ms after FSOUND_PlaySound"
  latencies+=("$latency")
done
printf '%s\n' "${latencies[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "median %s ms over %d runs\n", v[int((NR + 1) / 2)], NR }'
