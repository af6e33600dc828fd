#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the full build with warnings as errors,
# then the Debian package made from that build,
# then the Qt-free layers again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLORVIKA_WERROR=ON
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs" --timeout 600

# The Debian package from the same build, unpacked and checked as installed software.
tests/packaging/check-package.sh build/test

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORVIKA_WERROR=ON \
  -DLORVIKA_SANITIZE=ON -DLORVIKA_CORE_ONLY=ON -DLORVIKA_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 900
