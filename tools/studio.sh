#!/usr/bin/env bash
# Starts Talvane Studio: installs what is missing, builds the studio (release
# build, build/release), writes a demo recording when it is missing and
# opens it with a demo document beside it. Arguments replace the demo's:
#   ./tools/studio.sh                      # build/studio-demo/demo.tlv over demo.wav
#   ./tools/studio.sh notes.tlv take.flac  # your own files (and options)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"
build="$root/build/release"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTALVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target talvane-studio talvane-studio-recording
if [ $# -gt 0 ]; then
  exec "$build/talvane-studio" "$@"
fi
demo="$root/build/studio-demo"
mkdir -p "$demo"
# Ten seconds, a tone from 2 s to 5 s and silence around it.
[ -f "$demo/demo.wav" ] || "$build/talvane-studio-recording" "$demo/demo.wav" 10 2000 5000
exec "$build/talvane-studio" "$demo/demo.tlv" "$demo/demo.wav"
