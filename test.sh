#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, an address + undefined
# behaviour sanitizer build of the test programs (tavren_tests), and a thread sanitizer build of
# only the tests labelled "tsan" and what they load (tsan_tests). ctest sees every GoogleTest case;
# in the normal build it also makes the Debian package and checks it (the test "package").
#
#   ./test.sh --soak [--seed N]   only the soak (labelled "soak", never part of the run above), in
#                                 the address sanitizer build with LeakSanitizer; --seed replays one
set -euo pipefail
cd "$(dirname "$0")"
soak=0
while [ $# -gt 0 ]; do
  case "$1" in
    --soak) soak=1 ;;
    --seed) [ $# -ge 2 ] || { echo "--seed needs a number" >&2; exit 2; }; export TAVREN_SOAK_SEED="$2"; shift ;;
    --seed=*) export TAVREN_SOAK_SEED="${1#--seed=}" ;;
    *) echo "usage: ./test.sh [--soak [--seed N]]" >&2; exit 2 ;;
  esac
  shift
done
if [ -n "${TAVREN_SOAK_SEED:-}" ] && [ "$soak" = 0 ]; then
  echo "--seed goes with --soak" >&2
  exit 2
fi
./scripts/install-deps.sh
jobs=$(nproc)

if [ "$soak" = 1 ]; then
  echo "== soak (address and undefined-behaviour sanitizers, LeakSanitizer)"
  cmake -G Ninja -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVREN_SANITIZE=address -DTAVREN_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs" --target soak_tests
  TAVREN_SOAK=1 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -V -L soak
  echo "== soak passed"
  exit 0
fi

echo "== build"
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -LE soak -j"$jobs"

echo "== address and undefined-behaviour sanitizers"
cmake -G Ninja -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVREN_SANITIZE=address -DTAVREN_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs" --target tavren_tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -LE soak -j"$jobs"

echo "== thread sanitizer"
cmake -G Ninja -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTAVREN_SANITIZE=thread -DTAVREN_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target tsan_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -L tsan -j"$jobs"
echo "== all tests passed"
