#!/usr/bin/env bash
# Installs what the build and the tests need and is missing (Debian 12; apt-get as root, or through sudo).
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev libgtest-dev python3
          shared-mime-info hicolor-icon-theme adwaita-icon-theme tzdata
          python3-xlrd gnumeric locales desktop-file-utils appstream fuse3 libfuse3-dev
          dpkg-dev file lintian libxcb-xtest0-dev)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The export tests compare text files written under a German locale (decimal comma) with the golden files.
german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  command -v localedef > /dev/null || return 0
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "Could not generate the de_DE.UTF-8 locale"
}

if [ ${#missing[@]} -eq 0 ]; then
  german_locale
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
german_locale
