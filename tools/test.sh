#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test
# through CTest, each fuzz target over its committed corpus included (built
# with the standalone driver). Fails on a compiler warning, a test failure or
# a sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"

build="${TALVANE_TEST_BUILD_DIR:-$root/build/asan}"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Debug -DTALVANE_SANITIZE=ON -DTALVANE_BUILD_TESTS=ON -DTALVANE_BUILD_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-Werror -O1" >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
