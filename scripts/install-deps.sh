#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need,
# only those that are missing, through sudo when not root. With the argument
# "package", also what `make package` needs; with "fuzz", what `make fuzz` needs.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config make
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libqcustomplot-dev libhidapi-dev libudev-dev qt6-svg-dev
  libmosquitto-dev mosquitto openssl # --publish's client library; the tests' broker and certificates
  xvfb xauth
  fonts-wine fonts-crosextra-carlito fonts-liberation fonts-dejavu-core
  qt6-translations-l10n
)
case "${1:-}" in
  package) packages+=(dpkg-dev file) ;; # dpkg-shlibdeps, and file to find the programs it reads
  fuzz) packages+=(clang libclang-rt-14-dev) ;; # clang and its libFuzzer runtime
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
