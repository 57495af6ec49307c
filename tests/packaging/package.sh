#!/usr/bin/env bash
# The demo installed like a program, from cmake --install and from the Debian
# package (built from its source package), each run from / as a user would
# start it; the desktop entry and the AppStream metadata validated, both
# packages checked by lintian.
#   package.sh CASE BUILD_DIR VERSION     cases: install, deb
case_name="$1"
build="$2"
version="$3"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../support/harness.sh"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
mapfile -t data_files < "$build/data-files.txt"
app_id=invalid.vimra.vimra
files=(
  bin/vimra bin/vimra-frame
  "${data_files[@]/#/share/vimra/}"
  share/man/man6/vimra.6.gz share/man/man1/vimra-frame.1.gz
  share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml share/icons/hicolor/256x256/apps/vimra.png
  share/doc/vimra/README.md share/doc/vimra/CHANGELOG.md share/doc/vimra/copyright share/doc/vimra/changelog.gz
)

# Runs the installed demo from /, headless and silent, until its first frame
# is presented; it must find its data beside itself and end cleanly on
# SIGTERM (a quit).
run_installed() {
  local prefix="$1"
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy start_program / "$prefix/bin/vimra"
  wait_presented
  kill -TERM "$program_pid"
  wait_program 30
  [ "$code" -eq 0 ] || fail "the installed demo ended with $code"
  grep -qx "vimra: playing from $prefix/share/vimra (the working directory has no data files)" "$work/out.log" ||
    fail "the installed demo did not play from $prefix/share/vimra"
  "$prefix/bin/vimra-frame" --version > "$work/out.log" || fail "vimra-frame --version failed"
  grep -qx "vimra-frame (Vimra) $version" "$work/out.log" || fail "vimra-frame --version: $(cat "$work/out.log")"
  # vimra-frame finds the installed data as the demo does, and says nothing more.
  (cd / && "$prefix/bin/vimra-frame" 45000 "$work/frame.png" > "$work/out.log" 2> "$work/err.log") ||
    fail "the installed vimra-frame failed"
  [ -s "$work/frame.png" ] || fail "no frame written"
  if grep -q "missing" "$work/err.log"; then fail "vimra-frame misses data files"; fi
}

case "$case_name" in
  install)
    cmake --install "$build" --prefix "$work/prefix" > "$work/out.log" 2>&1 || fail "cmake --install failed"
    for file in "${files[@]}"; do [ -f "$work/prefix/$file" ] || fail "not installed: $file"; done
    (cd "$work/prefix" && find . -type f | sort)
    # What software centres and menus read.
    if command -v appstreamcli > /dev/null && command -v desktop-file-validate > /dev/null; then
      desktop-file-validate "$work/prefix/share/applications/$app_id.desktop" || fail "the desktop entry is invalid"
      appstreamcli validate --pedantic --no-net "$work/prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the AppStream metadata is invalid"
      grep -q "<release version=\"$version\"" "$work/prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the AppStream metadata lacks release $version"
    else
      echo "appstreamcli or desktop-file-validate missing: metadata not validated"
    fi
    # Manual pages that man renders without a warning, each naming the version.
    for page in "$work"/prefix/share/man/man*/*.gz; do
      warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > "$work/page.txt")"
      [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
      grep -q "Vimra $version" "$work/page.txt" || fail "$(basename "$page") does not name Vimra $version"
    done
    run_installed "$work/prefix"
    ;;
  deb)
    command -v dh > /dev/null || { echo "debhelper missing"; exit 77; }
    # The source package and the binary package from it, as the release
    # makes them (scripts/build-deb.sh checks both with lintian); the unit
    # tests have run in this build already.
    DEB_BUILD_OPTIONS=nocheck "$here/../../scripts/build-deb.sh" --host "$work/package" > "$work/build.log" 2>&1 ||
      fail "the package build failed: $(tail -n 30 "$work/build.log")"
    sed -n '/^Built in/,$p' "$work/build.log"
    deb="$work/package/vimra_${version}_amd64.deb"
    [ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/package")"
    # Any build of this commit gives these bytes (scripts/build-deb.sh's chroot too).
    (cd "$work/package" && sha256sum "$(basename "$deb")")
    # The source package holds the tools, not the data they make.
    tar -tf "$work/package/vimra_$version.tar.xz" > "$work/sources"
    for file in "${data_files[@]}"; do
      if grep -q "/data/$file$" "$work/sources"; then fail "the source package holds data/$file"; fi
    done
    dpkg-deb -c "$deb" > "$work/contents"
    # Debian compresses the longer documents.
    for file in "${files[@]}"; do
      grep -Eq " ./usr/$file(\.gz)?$" "$work/contents" || fail "not in the package: /usr/$file"
    done
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    for library in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libepoxy0 libmpg123-0 libasound2 libstdc++6 libgl1 libegl1; do
      [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
    done
    dpkg -x "$deb" "$work/root" || fail "dpkg -x failed"
    # The package's build generated the data; it must be what data/ commits.
    for file in "${data_files[@]}"; do
      cmp -s "$here/../../data/$file" "$work/root/usr/share/vimra/$file" ||
        fail "the package's $file differs from data/$file"
    done
    run_installed "$work/root/usr"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
