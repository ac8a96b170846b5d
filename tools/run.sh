#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in and the reference
# host, and runs the host's demo (create, list, change and reload a document
# of Talvane objects). Extra arguments go to the demo: a folder to work in.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"
build="$root/build/release"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTALVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target talvane-host
exec "$build/talvane-host" demo "$@"
