#!/usr/bin/env bash
# Rewrites the fuzz targets' seed corpora (fuzz/corpus/<Target>/) with the
# generators tools/make_fuzz_corpus.cpp and tools/make_studio_fuzz_corpus.cpp
# (the studio's targets), built in the test build folder that
# ./tools/test.sh configures (run that first). Run it when a file form
# changes, then commit the corpora. Files kept from a campaign (crashing
# inputs) are left in place.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TALVANE_TEST_BUILD_DIR:-$root/build/asan}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "make_fuzz_corpus: no test build in $build; run ./tools/test.sh first" >&2
  exit 1
fi
cmake --build "$build" --target make_fuzz_corpus make_studio_fuzz_corpus -j 2
ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/make_fuzz_corpus" "$root/fuzz/corpus" "$root"
ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/make_studio_fuzz_corpus" "$root/fuzz/corpus"
du -sh "$root/fuzz/corpus"
