#!/usr/bin/env bash
# Installs every Debian package Sorvel needs to build, test, render and record.
# Safe to run again: packages already present are skipped, and apt is only
# touched when something is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake pkg-config git
  # fuzzing (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # core libraries and tests
  nlohmann-json3-dev libglm-dev libgtest-dev libgmock-dev libbenchmark-dev
  # window, input, audio, GL
  libsdl2-dev libepoxy-dev libegl-dev libegl1-mesa-dev libgl1-mesa-dri libgbm-dev mesa-utils
  # overlays, glyph atlas, images
  libcairo2-dev libpango1.0-dev libpng-dev
  # films, window tests, sound checks
  ffmpeg xvfb xauth xdotool openbox sox
  # packaging: validators for the desktop entry and the AppStream data, man
  # to render the manual page, what CPack's Debian package needs (file and
  # dpkg-shlibdeps find the libraries) and lintian to check it
  desktop-file-utils appstream libxml2-utils man-db file dpkg-dev lintian
  # the English catalogue: extracted, merged and compiled
  gettext
  # fonts: interface sans, a serif with medium and semibold weights, clue digits
  fontconfig fonts-inter fonts-vollkorn fonts-urw-base35
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
# A cold font cache costs seconds at the first start; warm it now.
fc-cache >/dev/null 2>&1 || true
