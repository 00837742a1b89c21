#!/usr/bin/env bash
# Installs the Debian packages the suite needs to build and test, when any is missing.
# Quick when all are present: it asks dpkg only and touches the network only for what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build make
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev fonts-dejavu-core
  # The captions' translations: lrelease in the build (Qt6LinguistTools), lupdate in
  # scripts/update-translations.sh.
  qt6-l10n-tools qt6-tools-dev
  # A face for the window's Japanese captions, for looking at them under Xvfb (the package
  # recommends it).
  fonts-ipafont-gothic
  xvfb xauth xclip xdotool wl-clipboard
  # The Debian package (scripts/package.sh): dpkg-shlibdeps and the file(1) it asks, and groff
  # for the manual pages' test.
  dpkg-dev file groff-base
  # The series tests: GNU parallel runs the README's recipe for several machines on one.
  parallel
  # The fuzz targets (scripts/fuzz.sh): clang with its libFuzzer and sanitizer runtimes, and
  # llvm-symbolizer for readable stack traces.
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
