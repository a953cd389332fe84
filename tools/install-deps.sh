#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need, where they are missing.
# As root it runs apt-get; otherwise it names what is missing and fails.
set -euo pipefail

packages=(
  cmake ninja-build make g++ libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  libosmesa6-dev zlib1g-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb fonts-liberation xdotool imagemagick x11-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  pulseaudio pulseaudio-utils libpulse0 sox ffmpeg
  nsis unzip
  pkg-config libx11-dev libgl-dev libpulse-dev dpkg-dev xscreensaver xscreensaver-gl
  help2man man-db lintian
  emscripten chromium python3
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
# The page's test drives Chromium with an npm package. Some Node.js builds bring npm themselves and
# conflict with Debian's: the package is asked for only when there is no npm at all.
command -v npm >/dev/null || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]}" >&2
  echo "install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# apt's and dpkg's progress go to a log, shown only when the installation fails.
log=$(mktemp /tmp/ostinel-apt.XXXXXX)
if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
  >"$log" 2>&1; then
  cat "$log" >&2
  echo "installing the packages failed (log: $log)" >&2
  exit 1
fi
rm -f "$log"
