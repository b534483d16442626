#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Silent and
# installs nothing when everything is present; otherwise refreshes the
# package list once (a fresh machine has none) and installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev qt6-svg-dev
  portaudio19-dev
  libavcodec-dev libavutil-dev libswresample-dev
  libcdio-dev libcdio-cdda-dev libcdio-paranoia-dev
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core
  desktop-file-utils
  tango-icon-theme
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing missing packages: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
