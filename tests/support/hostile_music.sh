# Hostile music files: plausible mistakes saved under the music's name. Sourced.
#   write_hostile_music KIND PATH
# Kinds:
#   wav-0ch     a PCM WAV header declaring 0 channels, then 1 MB of data
#   wav-adpcm   a 40 MB IMA-ADPCM WAV (a format the library does not decode)
#   flac-long   20 minutes of FLAC whose header gives no length
#   mp3-flood   100 MB of repeated MP3 frames (24 kHz, 8 kbit/s: 28 hours)
#   mp3-stray   two such frames, one stray byte, then 20 MB more of them: a
#               decoder resyncs past the byte and plays 5.5 hours
hostile_music_kinds="wav-0ch wav-adpcm flac-long mp3-flood mp3-stray"

write_hostile_music() {
  local kind="$1" path="$2"
  case "$kind" in
    flac-long)
      sox -n -r 8000 -c 1 -b 16 -t flac "$path" trim 0 1200 || return 1
      # STREAMINFO's 36-bit sample count (from bit 4 of byte 21) set to 0: "unknown".
      python3 - "$path" << 'PY' || return 1
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(21); b = f.read(1)[0]
    f.seek(21); f.write(bytes([b & 0xF0]) + bytes(4))
PY
      ;;
    *)
      python3 - "$kind" "$path" << 'PY' || return 1
import struct, sys
kind, path = sys.argv[1], sys.argv[2]
def wav(tag, channels, rate, bits, block, data_bytes):
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * block, block, bits)
    return (b"RIFF" + struct.pack("<I", 36 + data_bytes) + b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt +
            b"data" + struct.pack("<I", data_bytes))
# MPEG-2 layer III, 8 kbit/s, 24000 Hz, mono: 24 bytes and 24 ms a frame.
frame = bytes([0xFF, 0xF3, 0x14, 0xC0]) + bytes(20)
with open(path, "wb") as f:
    if kind == "wav-0ch":
        f.write(wav(1, 0, 44100, 16, 0, 1 << 20)); f.write(bytes(1 << 20))
    elif kind == "wav-adpcm":
        size = 40 << 20
        f.write(wav(0x11, 2, 44100, 4, 2048, size)); f.write(bytes(size))
    elif kind == "mp3-flood":
        f.write(frame * ((100 << 20) // len(frame)))
    elif kind == "mp3-stray":
        f.write(frame * 2 + b"\x00" + frame * ((20 << 20) // len(frame)))
    else:
        sys.exit("unknown kind " + kind)
PY
      ;;
  esac
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
