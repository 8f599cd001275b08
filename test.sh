#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, an address + undefined
# behaviour sanitizer build, and a thread sanitizer build of the tests labelled "tsan".
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

echo "== build"
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== address and undefined-behaviour sanitizers"
cmake -G Ninja -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVREN_SANITIZE=address -DTAVREN_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== thread sanitizer"
cmake -G Ninja -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTAVREN_SANITIZE=thread -DTAVREN_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -L tsan -j"$jobs"
echo "== all tests passed"
