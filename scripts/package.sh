#!/usr/bin/env bash
# Builds the Debian package of the suite, build/balimor_<version>_<arch>.deb, from the release
# build of scripts/build.sh (every file installed under /usr, Depends computed by dpkg-shlibdeps
# from the programs' shared libraries), and checks it (packaging/check-package.sh).
# Install it with: apt install ./build/balimor_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
rm -f build/balimor_*.deb
(cd build && cpack -G DEB)
debs=(build/balimor_*.deb)
bash packaging/check-package.sh "${debs[0]}"
echo "package: ${debs[0]}"
