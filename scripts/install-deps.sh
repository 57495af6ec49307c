#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need; only
# what is missing, so a second run is quick. Run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config git dpkg-dev file
  libsdl2-dev libsdl2-mixer-dev libmpg123-dev libasound2-dev libepoxy-dev libstb-dev
  libgl1-mesa-dri libegl-mesa0 libegl1 libgles2
  googletest libgtest-dev
  xvfb xauth xdotool x11-apps time
  clang-14 libclang-rt-14-dev
  lame sox ffmpeg
  emscripten chromium python3
  # The release: package checks, AppStream and desktop-entry validation, the
  # Windows resources read back, the 64-bit Windows build.
  lintian appstream desktop-file-utils icoutils g++-mingw-w64-x86-64
  # The Windows build and its tests under Wine (32-bit Wine, its GL on Mesa).
  g++-mingw-w64-i686 zip file wine
  # The music recorded at a private sound server (tests/capture): PulseAudio
  # and parec, ALSA's pulse plugin for Wine's ALSA driver, the busy-CPU load.
  pulseaudio pulseaudio-utils libasound2-plugins stress-ng
)
# 32-bit Wine: its tests are skipped where it cannot be installed (a mirror
# whose i386 lists lag behind the amd64 ones, a machine without i386).
packages32=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)

missing_packages() {
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      echo "$package"
    fi
  done
}
mapfile -t missing < <(missing_packages "${packages[@]}")
mapfile -t missing32 < <(missing_packages "${packages32[@]}")

if [ $((${#missing[@]} + ${#missing32[@]})) -gt 0 ]; then
  echo "Installing: ${missing[*]} ${missing32[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  # The :i386 packages need the architecture known before the package lists.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  # A list that fails to download leaves the old one; the install says what is missing.
  "${sudo_cmd[@]}" apt-get update -qq || echo "install-deps: some package lists did not update"
  install=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  [ ${#missing[@]} -eq 0 ] || "${install[@]}" "${missing[@]}"
  [ ${#missing32[@]} -eq 0 ] || "${install[@]}" "${missing32[@]}" ||
    echo "install-deps: 32-bit Wine could not be installed; its tests are skipped"
fi
