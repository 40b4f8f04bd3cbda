#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian; does nothing when all is there.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
    libbenchmark-dev fonts-wqy-microhei libudev-dev
    qt6-translations-l10n qt6-svg-dev qt6-charts-dev desktop-file-utils appstream dpkg-dev file
    clang libclang-rt-14-dev zsh)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
