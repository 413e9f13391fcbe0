#!/usr/bin/env bash
# Installs the Debian packages Dovrelle needs. Safe to run again: it only calls apt-get when a
# package is missing.
#   install-deps.sh run     what building and running the program needs (and the demo archive)
#   install-deps.sh smoke   that, and what starting the program under a window manager and
#                           finding its login window takes (./run --smoke)
#   install-deps.sh test    that, and the test servers and test libraries
# The run set installs no server: the PostgreSQL and CUPS servers come with the test set only.
set -euo pipefail

set_name=${1:-test}

# Building and running the program, and making the demo archive. sane-airscan makes the office's
# network scanners (eSCL and WSD) appear beside the local ones with no driver of their own.
run_packages=(
  ca-certificates make cmake ninja-build ccache g++ lld pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-psql libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins
  qt6-webengine-dev
  libmagick++-dev libmagickcore-6.q16-6-extra libjpeg-dev
  libsane-dev libsodium-dev libxcb1-dev
  sane-airscan
  fonts-noto-core fonts-dejavu-core
  cups-client
  imagemagick
  xvfb xauth
)
# The text converter dovrelle-mw: docx through libzip, pdf text through poppler, pictures through
# Tesseract with its Arabic and English models, txt encodings through uchardet.
text_packages=(
  libzip-dev libpoppler-cpp-dev libtesseract-dev tesseract-ocr-ara tesseract-ocr-eng
  libuchardet-dev
)
run_packages+=("${text_packages[@]}")
# doc and rtf go through LibreOffice Writer. The headless Writer conflicts with the full one, so it
# is added only when no Writer is installed: a user's LibreOffice is never replaced.
writer_installed() {
  local w
  for w in libreoffice-writer libreoffice-writer-nogui; do
    if dpkg-query -W -f='${Status}' "$w" 2>/dev/null | grep -q 'install ok installed'; then
      return 0
    fi
  done
  return 1
}
if ! writer_installed; then
  run_packages+=(libreoffice-writer-nogui)
fi
# Finding the login window of a program started under Xvfb.
smoke_packages=(openbox xdotool)
# The tests: their libraries, the private PostgreSQL and CUPS servers, the outside programs
# some tests render or scan with, clang with libFuzzer for the fuzz programs (make fuzz), and
# djpeg, the baseline the image benchmarks measure opening a page against.
test_packages=(
  "${smoke_packages[@]}"
  libgtest-dev libgmock-dev
  postgresql
  cups printer-driver-cups-pdf ghostscript
  sane-utils x11-apps
  clang libclang-rt-14-dev
  libjpeg-turbo-progs
)

case "$set_name" in
run) packages=("${run_packages[@]}") ;;
smoke) packages=("${run_packages[@]}" "${smoke_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*)
  echo "usage: install-deps.sh run|smoke|test" >&2
  exit 2
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: these packages are missing and only root can install them: ${missing[*]}" >&2
    echo "install-deps: run this command as root once, or install sudo" >&2
    exit 1
  fi
  SUDO=(sudo)
fi

echo "install-deps: installing ${#missing[@]} packages and what they need: ${missing[*]}"
start=$(date +%s)
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
before=$(dpkg-query -W -f='${Status}\n' 2>/dev/null | grep -c 'install ok installed' || true)
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
after=$(dpkg-query -W -f='${Status}\n' 2>/dev/null | grep -c 'install ok installed' || true)
echo "install-deps: $(( after - before )) packages installed in $(( $(date +%s) - start )) s"
