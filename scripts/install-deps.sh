#!/usr/bin/env bash
# Installs the Debian 12 packages that the suite needs to build, test and run.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  portaudio19-dev
  libfftw3-dev
  zlib1g-dev
  libsndfile1-dev
  sox libsox-fmt-base libsox-fmt-all espeak-ng
  xvfb xauth
  poppler-utils
  desktop-file-utils
  clang libclang-rt-14-dev
  praat
)
# Praat checks the TextGrids the suite writes and reads (a test makes one in
# Praat and has Praat read it back), and the benchmarks set our commands
# beside its own (make bench).

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
