#!/usr/bin/env bash
# The main job. Installs what is missing and builds the project; the reference
# host's demo runs here once the host exists.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"
build="$root/build/release"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTALVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
echo "Built the kits in $build. The reference host and its demo are not built yet."
