# Hostile music files: plausible mistakes saved under the music's name. Sourced.
#   write_hostile_music KIND PATH
# The bytes come from the hostile_music program (tests/support) that
# VIMRA_HOSTILE_MUSIC names; the FLAC's sound from sox.
# Kinds:
#   wav-0ch     a PCM WAV header declaring 0 channels, then 1 MB of data
#   wav-adpcm   a 40 MB IMA-ADPCM WAV (a format the library does not decode)
#   flac-long   20 minutes of FLAC whose header gives no length
#   mp3-flood   100 MB of repeated MP3 frames (24 kHz, 8 kbit/s: 28 hours)
#   mp3-stray   two such frames, one stray byte, then 20 MB more of them: a
#               decoder resyncs past the byte and plays 5.5 hours
#   mp3-scattered    the music's first two frames, then 63 MiB of random bytes
#                    with a valid-looking header every 3000 bytes
#   mp3-random-tail  the music's first second, then 60 MiB of random bytes
# The last two start as the music (the file at PATH) and play that start.
hostile_music_kinds="wav-0ch wav-adpcm flac-long mp3-flood mp3-stray mp3-scattered mp3-random-tail"
hostile_music_sounding="mp3-scattered mp3-random-tail"

write_hostile_music() {
  local kind="$1" path="$2"
  [ -x "$VIMRA_HOSTILE_MUSIC" ] || { echo "VIMRA_HOSTILE_MUSIC names no hostile_music program"; return 1; }
  if [ "$kind" = flac-long ]; then
    sox -n -r 8000 -c 1 -b 16 -t flac "$path" trim 0 1200 || return 1
  fi
  "$VIMRA_HOSTILE_MUSIC" "$kind" "$path"
}

# Plays the demo with the real music (folder $2), then with the hostile file
# (folder $3, kind $4), each through the caller's PLAYER $1 (it takes a folder,
# sets $code and leaves GNU time's report in $work/time.txt); fails (through
# the caller's fail) unless both end with exit code 0 and the hostile run's
# peak memory stays within 50 MB of the real one's.
play_real_and_hostile() {
  local player="$1" kind="$4" run folder
  local -A peak
  for run in real hostile; do
    folder="$2"
    [ $run = hostile ] && folder="$3"
    "$player" "$folder"
    [ "$code" -eq 0 ] || fail "exit code $code with the $run music"
    peak[$run]=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt" 2> /dev/null)
  done
  echo "peak memory: ${peak[real]:-?} kB with the real music, ${peak[hostile]:-?} kB with $kind"
  [ -n "${peak[real]}" ] && [ -n "${peak[hostile]}" ] || fail "no peak memory measured"
  [ "${peak[hostile]}" -le $((peak[real] + 50 * 1024)) ] || fail "$kind costs over 50 MB more than the music"
}
