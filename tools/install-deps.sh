#!/usr/bin/env bash
# Installs the Debian packages the project builds with, and any named on the command line, only
# those that are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          liblua5.1-0-dev libtinyxml-dev libpng-dev
          libvorbis-dev vorbis-tools sound-theme-freedesktop libsdl2-dev libgl-dev libegl-dev xvfb xauth clang-format
          libgl1-mesa-dri libimgui-dev python3-pil fonts-dejavu-core "$@")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
