#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run; with --tests also
# those of the tests, the benchmarks and the fuzz targets. As root it installs what
# is missing with apt-get, otherwise with sudo where there is one; without sudo it
# prints the apt-get line to run as root and stops. Nothing missing: it does nothing.
# Usage: scripts/setup.sh [--tests]
set -euo pipefail
game=(
  build-essential cmake pkg-config ninja-build
  libsdl2-dev libsdl2-mixer-dev libx11-dev
  glslang-dev glslang-tools spirv-tools libspirv-cross-c-shared-dev
  libgl1-mesa-dri libegl1 libegl-mesa0 libgl1 libgles2 libgl-dev libegl-dev
  libtinyxml2-dev libdevil-dev libpng-dev libjpeg-dev zlib1g-dev libutfcpp-dev
  python3 python3-pil fonts-dejavu-core sox vorbis-tools imagemagick
)
tests=(
  libgtest-dev libgmock-dev libbenchmark-dev xvfb x11-utils
  desktop-file-utils appstream groff-base
  clang-14 libclang-rt-14-dev
)
packages=("${game[@]}")
case "${1:-}" in
  "") ;;
  --tests) packages+=("${tests[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive "${install[@]}"
elif command -v sudo > /dev/null; then
  sudo apt-get update
  sudo DEBIAN_FRONTEND=noninteractive "${install[@]}"
else
  echo "These Debian packages are missing. Install them as root (for example after su -):" >&2
  echo "  ${install[*]}" >&2
  echo "then run this command again." >&2
  exit 1
fi
