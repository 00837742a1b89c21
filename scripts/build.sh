#!/usr/bin/env bash
# Configures and builds the whole suite into build/ (programs in build/bin/).
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
if [ ! -f build/CMakeCache.txt ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
