#!/usr/bin/env bash
# Installs the Debian packages Mailvane needs to build, test, package and run. Safe to run
# again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev qt6-multimedia-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  xvfb xauth
  libsqlite3-dev libgmime-3.0-dev
  desktop-file-utils lintian
  # The sound player: base and good hold WAV, MP3 and http(s) links (with libsoup);
  # libav adds the WMA, ASF, AVI and MOV sounds of old messages.
  gstreamer1.0-libav
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
