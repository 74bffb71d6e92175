#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Usage: tools/deps.sh [extra-package ...]
set -euo pipefail
pkgs=(cmake g++ make pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev
      qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev libmpfr-dev libgmp-dev libsleef-dev
      # the manual pages, the icons, the Debian package, and the checks of the install
      help2man librsvg2-bin dpkg-dev file man-db desktop-file-utils appstream shared-mime-info
      xdg-utils libfile-mimeinfo-perl bash-completion
      "$@")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing packages: ${missing[*]}. Install them as root, or run this as root." >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
