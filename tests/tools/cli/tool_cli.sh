#!/usr/bin/env bash
# One tool's command line as a careless or hostile user would use it:
#   tool_cli.sh NAME PROGRAM DATA_DIR
# --help prints the usage and exits 0 creating nothing; an unknown option or a
# missing value exits 2 with a message; an output that cannot be written
# (a full disk: /dev/full) exits 1 with a message naming the file; nothing
# ends in an uncaught exception or a signal.
name="$1"
program="$2"
data="$3"
. "$(dirname "$0")/../../support/harness.sh"
cd "$work"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
failures=0

# expect CODE PATTERN COMMAND...: the exit code, and PATTERN (when not empty)
# found in the output.
expect() {
  local want="$1" pattern="$2"
  shift 2
  "$@" > "$work/out.txt" 2> "$work/err.txt"
  local code=$?
  if [ "$code" -ne "$want" ] || { [ -n "$pattern" ] && ! grep -qE -- "$pattern" "$work/out.txt" "$work/err.txt"; }; then
    echo "FAIL: $* exited $code (expected $want, output matching '$pattern')"
    cat "$work/out.txt" "$work/err.txt"
    failures=$((failures + 1))
  fi
}

# The empty folder the runs above were started in is still empty.
expect_nothing_created() {
  local left
  left=$(ls -A "$work/empty")
  [ -z "$left" ] || { echo "FAIL: $name created $left"; failures=$((failures + 1)); }
}

mkdir "$work/empty"
# Not in subshells: a failure there would not count.
cd "$work/empty"
expect 0 "^usage: $name" "$program" --help
expect 0 "^usage: $name" "$program" -h
expect 0 "^$name \(Vimra\) [0-9]+\.[0-9]+\.[0-9]+$" "$program" --version
cd "$work"
expect_nothing_created
expect 2 "unknown option --bogus" "$program" --bogus
expect 2 "usage: $name" "$program"

# A full disk behind an output name: the link makes the tool write to /dev/full.
full_link() { mkdir -p "$(dirname "$1")"; ln -s /dev/full "$1"; }

case "$name" in
  vimra-frame)
    expect 2 "needs a folder" "$program" --data
    expect 2 "not a file name" "$program" --data "$data" 1000 ""
    expect 2 "unknown option -5" "$program" --data "$data" -5 out.png
    expect 2 "not a demo time" "$program" --data "$data" 99999999999 out.png
    expect 2 "needs an output file" "$program" --data "$data" 1000
    expect 1 "cannot enter" "$program" --data "$work/none" 1000 out.png
    expect 1 "cannot write /dev/full" "$program" --data "$data" 1000 /dev/full
    expect 1 "cannot write $work/none/out.png" "$program" --data "$data" 1000 "$work/none/out.png"
    expect 0 "out.png: demo time 1000" "$program" --data "$data" 1000 out.png
    [ -s out.png ] || { echo "FAIL: no out.png"; failures=$((failures + 1)); }
    ;;
  vimra-gallery)
    cd "$work/empty"
    expect 2 "needs a folder" "$program" out --data
    expect 1 "no data folder" "$program" --data "$work/none" out
    cd "$work"
    expect_nothing_created
    expect 2 "one output folder only" "$program" a b
    full_link "$work/full/grid.png"
    expect 1 "cannot write $work/full/grid.png" "$program" --data "$data" "$work/full"
    touch "$work/a-file"
    expect 1 "cannot create $work/a-file" "$program" --data "$data" "$work/a-file"
    ;;
  vimra-data-pictures)
    expect 2 "needed" "$program" "$data"
    expect 1 "cannot write $work/none/mesh-cubedef.png" "$program" "$data" "$work/none"
    full_link "$work/full/mesh-cyldef.png"
    expect 1 "cannot write $work/full/mesh-cyldef.png" "$program" "$data" "$work/full"
    # Hostile meshes: indices at the ends of int, coordinates far outside the
    # view and not numbers; a directory as the cube map.
    mkdir "$work/hostile"
    cp "$data"/*.obj "$data"/cube.dds "$work/hostile"
    printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1e300 -1e300 1e30\nv nan inf -inf\n' > "$work/hostile/cubedef.obj"
    printf 'f -2147483648 1 2\nf 1 2 2147483647\nf 1 2 4\nf 1 2 5\nf 1 2 3\n' >> "$work/hostile/cubedef.obj"
    mkdir -p "$work/pictures"
    expect 0 "" "$program" "$work/hostile" "$work/pictures"
    rm "$work/hostile/cube.dds" && mkdir "$work/hostile/cube.dds"
    expect 1 "cannot read $work/hostile/cube.dds" "$program" "$work/hostile" "$work/pictures"
    mkfifo "$work/hostile/fifo.obj" && mv "$work/hostile/fifo.obj" "$work/hostile/isodef.obj"
    expect 1 "cannot read $work/hostile/isodef.obj" "$program" "$work/hostile" "$work/pictures"
    ;;
  vimra-meshgen)
    expect 2 "one output folder only" "$program" a b
    full_link "$work/full/cubedef.obj"
    expect 1 "cannot write $work/full/cubedef.obj" "$program" "$work/full"
    expect 1 "cannot write $work/none/cubedef.obj" "$program" "$work/none"
    ;;
  vimra-cubegen)
    expect 2 "one output file only" "$program" a b
    expect 1 "cannot write /dev/full" "$program" /dev/full
    expect 1 "cannot write $work/none/cube.dds" "$program" "$work/none/cube.dds"
    ;;
  vimra-musicgen)
    expect 2 "one output file only" "$program" a b
    expect 1 "cannot write /dev/full" "$program" /dev/full
    ;;
  vimra-icon)
    expect 2 "not a size" "$program" in.png 0 out.png
    expect 1 "cannot read $work/none.png" "$program" "$work/none.png" 16 out.png
    "$(dirname "$program")/../../vimra-frame" --data "$data" 1000 "$work/frame.png" > /dev/null
    expect 1 "cannot write /dev/full" "$program" "$work/frame.png" 16 /dev/full
    expect 0 "" "$program" "$work/frame.png" 16 icon.png
    [ -s icon.png ] || { echo "FAIL: no icon.png"; failures=$((failures + 1)); }
    ;;
  vimra-record)
    expect 2 "--size needs a value" "$program" x.mp4 --size
    expect 2 "not 16:9" "$program" --size 1000x700 x.mp4
    expect 1 "cannot write $work/none/x.mp4" "$program" --data "$data" "$work/none/x.mp4"
    full_link "$work/full/f000.png"
    expect 1 "cannot write $work/full/f%03d.png" "$program" --quiet --data "$data" --size 64x36 --end 0.1 "$work/full/f%03d.png"
    [ -z "$(ls -A "$work/full")" ] || { echo "FAIL: vimra-record left $(ls -A "$work/full")"; failures=$((failures + 1)); }
    ;;
  *)
    fail "unknown tool $name"
    ;;
esac
[ "$failures" -eq 0 ] || fail "$failures of $name's checks failed (above)"
echo "ok: $name"
