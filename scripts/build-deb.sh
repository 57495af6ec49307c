#!/usr/bin/env bash
# Builds the Debian source package of this tree and, from it, the binary
# package, then checks both with lintian:
#   scripts/build-deb.sh [--host] [OUT_DIR]
# By default in a clean Debian 12 chroot that mmdebstrap makes from Debian's
# packages (build-essential, then the Build-Depends alone, through
# apt-get build-dep; run as root, with the Debian mirror reachable) and
# throws away afterwards. --host builds on this machine instead, over the
# build dependencies installed here (dpkg-buildpackage checks them).
# OUT_DIR (default dist/debian) receives the .dsc, the .tar.xz, the .debs,
# the .changes and the .buildinfo. The tree is what git lists (committed or
# not, ignored files left out); SOURCE_DATE_EPOCH is the last commit's time
# unless the caller sets it, so two builds of one commit give the same .deb.
# DEB_BUILD_OPTIONS passes through (nocheck skips the tests); the mirror is
# VIMRA_DEBIAN_MIRROR (default http://deb.debian.org).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
host=0
if [ "${1:-}" = "--host" ]; then host=1; shift; fi
out="$(realpath -m "${1:-$root/dist/debian}")"
mirror="${VIMRA_DEBIAN_MIRROR:-http://deb.debian.org}"

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
build_options="${DEB_BUILD_OPTIONS:-}"
[[ "$build_options" == *parallel=* ]] || build_options="$build_options parallel=$(nproc)"
version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vimra-deb.XXXXXX")"
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

# The source package, from a copy of the tree's files.
tree="$work/vimra-$version"
mkdir -p "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard --deduplicate |
   xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
   tar --null -T - -cf -) | tar -xf - -C "$tree"
# Every file of one commit's tree dated alike, so its tarball is the same
# whatever the checkout's times.
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$work" && dpkg-source -b "vimra-$version" > "$work/source.log") || { cat "$work/source.log"; exit 1; }
rm -rf "$tree"
dsc="vimra_$version.dsc"

build_commands="cd /build && dpkg-source -x $dsc > /dev/null && cd vimra-$version &&
  SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH DEB_BUILD_OPTIONS='$build_options' dpkg-buildpackage -us -uc -sa &&
  cd /build && rm -rf vimra-$version"
if [ $host -eq 1 ]; then
  mkdir "$work/build"
  mv "$work/$dsc" "$work/vimra_$version.tar.xz" "$work/build/"
  (cd "$work/build" && dpkg-source -x "$dsc" > /dev/null && cd "vimra-$version" &&
     DEB_BUILD_OPTIONS="$build_options" dpkg-buildpackage -us -uc -sa)
else
  command -v mmdebstrap > /dev/null || { echo "build-deb.sh: mmdebstrap is not installed" >&2; exit 1; }
  # The chroot: Debian 12 with its updates, build-essential (the buildd
  # variant), then what the package declares; the build's files come out,
  # the chroot itself is discarded.
  mkdir "$work/build"
  mmdebstrap --variant=buildd --quiet \
    --customize-hook='mkdir "$1/build"' \
    --customize-hook="copy-in $work/$dsc $work/vimra_$version.tar.xz /build" \
    --customize-hook="chroot \"\$1\" apt-get build-dep -y -q /build/$dsc" \
    --customize-hook="chroot \"\$1\" sh -c \"$build_commands\"" \
    --customize-hook="sync-out /build $work/build" \
    bookworm /dev/null \
    "deb $mirror/debian bookworm main" \
    "deb $mirror/debian bookworm-updates main" \
    "deb $mirror/debian-security bookworm-security main"
fi

mkdir -p "$out"
find "$work/build" -maxdepth 1 -type f -name "vimra*_$version*" -exec cp -t "$out" {} +
changes="$out/vimra_${version}_$(dpkg --print-architecture).changes"
[ -f "$changes" ] || { echo "build-deb.sh: no $(basename "$changes")" >&2; exit 1; }
echo "Built in $out:"
ls -l "$out"

# The source and binary packages: no error and no warning; the pedantic and
# informational tags are printed.
if command -v lintian > /dev/null; then
  lintian --fail-on error,warning --display-info --pedantic "$changes" 2>&1 | grep -v "running with root privileges"
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build-deb.sh: lintian found errors or warnings" >&2; exit 1; }
else
  echo "lintian missing: the packages are not checked"
fi
