#!/usr/bin/env bash
# Installs what a command of the project needs and is missing (Debian 12; apt-get as root, or
# through sudo):
#   scripts/install-deps.sh run|package|test [more packages...]
# run: building the programs and running them; package: building the Debian package; test: all of
# these and what the test suites use.
set -euo pipefail

# Building: the compiler, CMake and the libraries the programs link.
build=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev)
# Running: the MIME database (type names, the .txf type) and the icon themes the windows draw from.
run=("${build[@]}" shared-mime-info hicolor-icon-theme adwaita-icon-theme)
# Packaging: dpkg-shlibdeps finds the package's library dependencies, which CPack looks for with `file`.
package=("${build[@]}" dpkg-dev file)
# Testing: GoogleTest, the independent readers (python3, python3-xlrd, gnumeric's ssconvert), the
# time zones and the German locale of the export tests, the desktop-file and AppStream validators,
# FUSE for the hanging file system, lintian for the package, and the X test extension that the
# File Lister's window benchmark clicks "&Stop" through (the benchmarks are built with the tests).
test=("${run[@]}" dpkg-dev file libgtest-dev python3 tzdata python3-xlrd gnumeric locales
      desktop-file-utils appstream fuse3 libfuse3-dev lintian libxcb-xtest0-dev)

set_name=${1:-test}
shift || true
case $set_name in
  run) packages=("${run[@]}") ;;
  package) packages=("${package[@]}") ;;
  test) packages=("${test[@]}") ;;
  *) echo "usage: $0 run|package|test [more packages...]" >&2; exit 2 ;;
esac
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The export tests compare text files written under a German locale (decimal comma) with the golden files.
german_locale() {
  [ "$set_name" = test ] || return 0
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
