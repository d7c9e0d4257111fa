#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Safe to run again: it installs only what is missing and asks nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format git
    clang libclang-rt-14-dev
    portaudio19-dev libasound2-dev
    qt6-base-dev fonts-dejavu-core
    libgtest-dev libgmock-dev
    xvfb xdotool x11-utils
    pulseaudio pulseaudio-utils libasound2-plugins
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
