#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessarin need.
# Idempotent: asks apt only for what is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
    libwxgtk3.2-dev libx11-dev libasound2-dev libmp3lame-dev
    sox lame alsa-utils poppler-utils librsvg2-bin
    xvfb xauth fonts-liberation2 fontconfig locales
    # Mesa's OpenGL drivers: llvmpipe renders the 3D view under the virtual X server
    libgl1-mesa-dri libglx-mesa0
    zip unzip xdg-utils
    # JACK: the server (tests run it with its dummy back end) and the client library of the ASIO driver
    jackd2 libjack-jackd2-dev
    # The second implementation of the room-acoustic figures in the tests
    python3-numpy python3-scipy
    # A browser without a screen, which renders a written report to a picture in the tests
    chromium
)
# Extra packages for a caller's purpose (the fuzz script adds clang's runtime).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable realtime priority; answer no without a prompt.
echo "jackd2 jackd/tweak-rt-limits boolean false" | "${sudo[@]}" debconf-set-selections 2>/dev/null || true
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
