#!/usr/bin/env bash
# Installs the Debian packages Dovrelle builds, runs and tests with. Safe to run again: it only
# calls apt-get when a package is missing.
set -euo pipefail

packages=(
  ca-certificates cmake make ninja-build ccache g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-psql libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins
  qt6-webengine-dev
  libmagick++-dev libmagickcore-6.q16-6-extra
  libsane-dev sane-utils libsodium-dev libgtest-dev libgmock-dev libxcb1-dev
  fonts-noto-core fonts-dejavu-core xvfb xauth x11-apps imagemagick openbox
  postgresql cups cups-client printer-driver-cups-pdf ghostscript
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
