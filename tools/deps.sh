#!/usr/bin/env bash
# Installs whatever is missing of the Debian packages that building and testing Scriba need.
# On a ready machine it installs nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libqscintilla2-qt6-dev libgl-dev libx11-dev
  liblua5.1-0-dev lua5.1
  lua-penlight luarocks lua-check
  libgtest-dev googletest libbenchmark-dev time
  fonts-liberation fonts-dejavu-core
  neovim
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "Cannot install packages without root or sudo. Please install:" >&2
  echo "  ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get update -qq || ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "Installing failed. These packages are needed:" >&2
  echo "  ${missing[*]}" >&2
  exit 1
fi
