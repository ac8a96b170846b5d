#!/usr/bin/env bash
# A timed fuzzing campaign: builds every fuzz target with Clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in its own build folder,
# then runs the targets one after the other for SECONDS each (default 120).
#
#   ./tools/fuzz.sh [SECONDS] [TARGET...]     (TARGET: HostCatalog, ...; default all)
#
# TALVANE_FUZZ_RUNS=N also stops a target after N executions, whichever comes
# first (a campaign of "10 minutes or a million executions each": 600 with
# TALVANE_FUZZ_RUNS=1000000).
#
# The committed seed corpus (fuzz/corpus/<Target>/) is only read: new corpus
# entries go to build/fuzz/campaign/<Target>/corpus, crashing inputs are kept
# as files in build/fuzz/campaign/<Target>/crashes/ and each run's output in
# build/fuzz/campaign/<Target>/log. Exit status 1 when any target found
# something.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"

seconds="${1:-120}"
shift || true
build="${TALVANE_FUZZ_BUILD_DIR:-$root/build/fuzz}"
campaign="$build/campaign"

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALVANE_SANITIZE=ON -DTALVANE_BUILD_TESTS=OFF -DTALVANE_BUILD_FUZZ=ON \
  -DTALVANE_FUZZ_LIBFUZZER=ON >/dev/null
cmake --build "$build" --target fuzz_targets -j 2

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*_fuzz.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name%_fuzz}")
  done
fi

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
found=0
printf '%-22s %12s %10s  %s\n' target executions exec/s result
for target in "${targets[@]}"; do
  dir="$campaign/$target"
  mkdir -p "$dir/corpus" "$dir/crashes"
  status=0
  # The program's own log lines (refused inputs) are not wanted: stderr is
  # closed for the target; libFuzzer and the sanitizers report on their own.
  "$build/fuzz/${target}_fuzz" "$dir/corpus" "$root/fuzz/corpus/$target" \
    -max_total_time="$seconds" ${TALVANE_FUZZ_RUNS:+-runs="$TALVANE_FUZZ_RUNS"} -rss_limit_mb=1024 -malloc_limit_mb=512 -timeout=30 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$dir/crashes/" \
    >"$dir/log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)"
  result="clean"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$dir/crashes")" ]; then
    result="FOUND: $(ls "$dir/crashes" | tr '\n' ' ')(see $dir/log)"
    found=1
  fi
  printf '%-22s %12s %10s  %s\n' "$target" "${runs:-?}" "${rate:-?}" "$result"
done
exit "$found"
