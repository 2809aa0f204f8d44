#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and this machine lacks.
set -eu
packages=(cmake g++ make googletest libgtest-dev mingw-w64 wine wine64 xvfb x11-utils
          xdotool imagemagick fonts-wqy-microhei clang libclang-rt-dev xxd time python3)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
