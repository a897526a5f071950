#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the content tools need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config ninja-build
  libsdl2-dev libsdl2-mixer-dev libx11-dev
  glslang-dev glslang-tools spirv-tools libspirv-cross-c-shared-dev
  libgl1-mesa-dri libegl1 libegl-mesa0 libgl1 libgles2 libgl-dev libegl-dev
  libtinyxml2-dev libdevil-dev libpng-dev libjpeg-dev zlib1g-dev libutfcpp-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb openbox libxtst-dev
  clang-14 libclang-rt-14-dev
  python3 python3-pil fonts-dejavu-core sox vorbis-tools imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
