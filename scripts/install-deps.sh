#!/usr/bin/env bash
# Installs the Debian packages SKYWARD needs to build, run and test.
# Idempotent: packages already present are not touched. Uses sudo unless root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libepoxy-dev zlib1g-dev libpng-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  libgl1-mesa-dri libegl-mesa0 mesa-utils xvfb xauth
  python3 xdg-utils desktop-file-utils
  libvorbis-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
