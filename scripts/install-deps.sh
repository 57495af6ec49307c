#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need; only
# what is missing, so a second run is quick. Run as root (or through sudo).
set -euo pipefail
# Set by run-tests.sh once it has run this, and by the tests that run the
# build scripts: a test does not install packages.
[ -n "${VIMRA_DEPS_CHECKED:-}" ] && exit 0

packages=(
  build-essential cmake pkg-config git dpkg-dev file
  libsdl2-dev libsdl2-mixer-dev libmpg123-dev libasound2-dev libpulse-dev libepoxy-dev libstb-dev
  libgl1-mesa-dri libegl-mesa0 libegl1 libgles2
  googletest libgtest-dev
  xvfb xauth xdotool x11-apps time
  clang-14 libclang-rt-14-dev
  lame sox ffmpeg
  emscripten chromium python3
  # The release: package checks, AppStream and desktop-entry validation, the
  # Windows resources read back.
  lintian appstream desktop-file-utils icoutils
  # The Debian package's build (debian/) and its clean chroot (scripts/build-deb.sh).
  debhelper mmdebstrap
  # The music recorded at a private sound server (tests/capture): PulseAudio
  # and parec, ALSA's pulse plugin for Wine's ALSA driver, the busy-CPU load.
  pulseaudio pulseaudio-utils libasound2-plugins stress-ng
  # The Windows builds (32-bit and 64-bit) and their tests under 64-bit Wine.
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 zip file
  wine wine64
)
# 32-bit Wine for the tests of the 32-bit build, with what 64-bit Wine has
# here: GL on Mesa, ALSA's pulse plugin, and the X extensions Wine's X11
# driver loads when it starts (display modes, several screens, input,
# cursors, composited windows; the amd64 ones come with other packages
# above). Optional: where the i386 packages cannot be had, or the machine
# does not run 32-bit programs, those tests are skipped.
packages_32bit=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libasound2-plugins:i386
  libxrandr2:i386 libxinerama1:i386 libxi6:i386 libxcursor1:i386 libxcomposite1:i386)

missing_from() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      echo "$package"
    fi
  done
}
mapfile -t missing < <(missing_from "${packages[@]}")
mapfile -t missing_32bit < <(missing_from "${packages_32bit[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_32bit[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
apt_install() {
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@"
}
echo "Installing: ${missing[*]} ${missing_32bit[*]}"
# The :i386 packages need the architecture known before the package lists.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync can fail one list; what the other lists
# hold may still be enough, and the install below says if it is not.
"${sudo_cmd[@]}" apt-get update -qq || echo "apt-get update failed on some lists; installing from the others"
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
if [ ${#missing_32bit[@]} -gt 0 ] && ! apt_install "${missing_32bit[@]}"; then
  echo "32-bit Wine could not be installed: the Wine tests of the 32-bit build will be skipped"
fi
