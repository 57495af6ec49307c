# Sourced by test scripts: a private PulseAudio server for one test, with a
# null sink as its only sound device and parec recording the sink's monitor.
# Everything it keeps (runtime folder, state, socket, log) lies in the folder
# given to pulse_start; it is no system service and no user's daemon, and it
# ends by itself once it has had no client for a minute, should the test's
# own clean-up (pulse_stop) never run. Needs the script's fail().
#
#   pulse_start DIR         start it; exports PULSE_SERVER and PULSE_SINK
#   pulse_alsa_default      route ALSA's default device to it (ALSA_CONFIG_PATH;
#                           ALSA's pulse plugin, Debian's libasound2-plugins)
#   pulse_record FILE.wav   record the sink (16-bit stereo, 44.1 kHz) from now
#                           on; a silent stream plays into the sink meanwhile,
#                           since an idle null sink sends its monitor nothing:
#                           so the recording's timeline has no holes, and
#                           pulse_recorded_frames tells where "now" lies in it.
#                           That stream asks for 20 ms of latency, as a game
#                           or an SDL program does, so the sink does not run
#                           at its default of up to 2 s, which Wine's ALSA
#                           stream does not lower: the same sink latency
#                           for every platform's output
#   pulse_recorded_frames   frames recorded so far
#   pulse_stop_recording    end the recording and write the file whole
#   pulse_stop              end the server
#   pulse_platform_realtime PID THREADS
#                           real-time priority for the threads of PID and the
#                           processes below it whose names match the regular
#                           expression THREADS (see there)
#   pulse_underruns         the server's log lines of streams that ran dry
#                           (its debug log, time-stamped from its start)

# Real-time scheduling for the recorder's processes where the system allows
# it (root, or a real-time limit): idle almost always, they must not wait
# behind a busy CPU when the sink hands them sound.
realtime=
chrt -f 10 true 2> /dev/null && realtime="chrt -f 10"

pulse_start() {
  local tool
  for tool in pulseaudio pactl parec; do
    command -v "$tool" > /dev/null || { echo "$tool missing (scripts/install-deps.sh installs it)"; exit 77; }
  done
  pulse_dir="$1/pulse"
  mkdir -p "$pulse_dir/runtime" "$pulse_dir/state" "$pulse_dir/home"
  # -n: none of the system's configuration, only the two modules named.
  # norewinds: a stream that ends an underrun makes the sink rewrite what it
  # had mixed ahead, but the monitor has already passed part of that on, so
  # the recording would lose music that was played (seen: 25 ms skipped, the
  # offset moving back and forth). soxr-vhq: the server's resampling (Wine
  # plays at 48 kHz) keeps the music whole up to 20 kHz; its default lost the
  # cymbals' share of the correlation.
  # The whole server runs in real time, as a desktop's does: its sink's
  # thread at 10 (its own default is 5, below the platform's threads the
  # harness raises to 8), and its main thread too, once it answers, since
  # that is where the clients' sound arrives before the sink mixes it.
  printf 'realtime-priority = 10\n' > "$pulse_dir/daemon.conf"
  HOME="$pulse_dir/home" PULSE_RUNTIME_PATH="$pulse_dir/runtime" PULSE_STATE_PATH="$pulse_dir/state" \
    PULSE_CONFIG="$pulse_dir/daemon.conf" pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=60 --log-target=stderr --log-level=debug --log-time=yes --realtime=yes --high-priority=yes \
    --resample-method=soxr-vhq \
    -L "module-native-protocol-unix socket=$pulse_dir/native auth-anonymous=1" \
    -L "module-null-sink sink_name=capture rate=44100 channels=2 norewinds=1" > "$pulse_dir/server.log" 2>&1 &
  pulse_pid=$!
  export PULSE_SERVER="unix:$pulse_dir/native" PULSE_SINK=capture
  for _ in $(seq 400); do
    if pactl info > /dev/null 2>&1; then
      [ -z "$realtime" ] || chrt -r -p 10 "$pulse_pid" || fail "the sound server's main thread cannot run in real time"
      return 0
    fi
    kill -0 "$pulse_pid" 2> /dev/null || break
    sleep 0.05
  done
  tail -n 20 "$pulse_dir/server.log"
  fail "the PulseAudio server did not start"
}

pulse_alsa_default() {
  printf '%s\n' '</usr/share/alsa/alsa.conf>' 'pcm.!default { type pulse }' 'ctl.!default { type pulse }' \
    > "$pulse_dir/alsa.conf"
  export ALSA_CONFIG_PATH="$pulse_dir/alsa.conf"
}

pulse_record() {
  local format=(--rate=44100 --channels=2 --format=s16le)
  pacat --playback --raw "${format[@]}" --latency-msec=20 < /dev/zero 2> "$pulse_dir/pacat.log" &
  keeper_pid=$!
  record_file="$1"
  $realtime parec --device=capture.monitor "${format[@]}" --file-format=wav --latency-msec=10 "$1" 2> "$pulse_dir/parec.log" &
  record_pid=$!
  # Started once the first sound data is written after the 44-byte header
  # (within seconds, even on a loaded machine).
  for _ in $(seq 2000); do
    [ "$(pulse_recorded_frames)" -gt 0 ] && return 0
    sleep 0.01
  done
  fail "parec recorded nothing (see $pulse_dir/parec.log)"
}

pulse_recorded_frames() {
  local size
  size=$(stat -c %s "$record_file" 2> /dev/null || echo 44)
  echo $(((size > 44 ? size - 44 : 0) / 4))
}

pulse_stop_recording() {
  [ -n "${record_pid:-}" ] || return 0
  kill -INT "$record_pid" 2> /dev/null
  wait "$record_pid" 2> /dev/null
  kill "$keeper_pid" 2> /dev/null
  wait "$keeper_pid" 2> /dev/null
  record_pid=
}

# The platform's own threads that carry the sound to the server get the
# priority a desktop gives them: Windows runs its audio engine in real time
# and Wine's sound threads ask for it (THREAD_PRIORITY_TIME_CRITICAL), which
# Wine cannot grant on Linux; Chromium runs its audio threads in real time,
# but the one that feeds the server from its audio service is libpulse's
# (threaded-ml), which it did not start and so never raises. Round-robin at
# 8, as Chromium's own audio thread, below the server and the recorder (10).
# Once, at the program's first frame: the threads exist by then, and nothing
# runs beside the program afterwards. The program's own threads keep what
# they have.
pulse_platform_realtime() {
  [ -n "$realtime" ] || return 0
  # Read with the shell's builtins: only chrt is started, once per thread raised.
  local pid task name raised=() pids=("$1")
  pulse_descendants "$1"
  for pid in "${pids[@]}"; do
    for task in /proc/"$pid"/task/*; do
      read -r name < "$task/comm" 2> /dev/null || continue
      [[ "$name" =~ ^($2)$ ]] && chrt -r -p 8 "${task##*/}" 2> /dev/null && raised+=("$name")
    done
  done
  echo "real-time threads of the platform: ${raised[*]:-none}"
}
# Adds the processes below $1 to $pids, from each process's parent in /proc.
pulse_descendants() {
  local stat line fields child parent found=1
  local -A parents=()
  for stat in /proc/[0-9]*/stat; do
    read -r line < "$stat" 2> /dev/null || continue
    # After the name in parentheses: the state, then the parent's id.
    fields=(${line##*) })
    child="${stat#/proc/}"
    parents[${child%/stat}]="${fields[1]}"
  done
  while [ "$found" -eq 1 ]; do
    found=0
    for child in "${!parents[@]}"; do
      parent="${parents[$child]}"
      if [[ " ${pids[*]} " == *" $parent "* ]] && [[ " ${pids[*]} " != *" $child "* ]]; then
        pids+=("$child")
        found=1
      fi
    done
  done
}

pulse_underruns() {
  grep -a -i -E 'underrun|Write-index moved|Hit maximum latency' "$pulse_dir/server.log" 2> /dev/null
}

pulse_stop() {
  pulse_stop_recording
  [ -n "${pulse_pid:-}" ] || return 0
  kill "$pulse_pid" 2> /dev/null
  wait "$pulse_pid" 2> /dev/null
  pulse_pid=
}
