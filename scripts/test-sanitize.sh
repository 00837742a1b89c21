#!/usr/bin/env bash
# The whole test suite in a sanitizer build: address and undefined-behaviour sanitizers
# (-DBALIMOR_SANITIZE=ON, any report fails its test), debug information, into build-asan/.
# The benchmarks are left out of this build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
generator=()
if [ ! -f build-asan/CMakeCache.txt ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B build-asan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBALIMOR_SANITIZE=ON -DBALIMOR_BENCHMARKS=OFF
cmake --build build-asan -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 600
