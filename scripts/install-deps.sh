#!/usr/bin/env bash
# Installs what the build and the tests need and is missing (Debian 12; apt-get as root, or through sudo).
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev libgtest-dev python3
          shared-mime-info hicolor-icon-theme adwaita-icon-theme tzdata)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
