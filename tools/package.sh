#!/usr/bin/env bash
# Builds the Debian package (Release build in build/package), unpacks it into
# a scratch root with dpkg -x and checks the unpacked tree with
# tools/check-install.sh. The package is left in build/package/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/bootstrap.sh"
build="${TALVANE_PACKAGE_BUILD_DIR:-$root/build/package}"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DTALVANE_BUILD_TESTS=OFF -DTALVANE_BUILD_BENCH=OFF -DTALVANE_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target StdTalvane talvane-host talvane-studio talvane_catalogs
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/talvane_*.deb | head -n 1)"
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
scratch="$(mktemp -d /tmp/talvane-deb-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
"$root/tools/check-install.sh" "$scratch/usr"
