#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the benchmarks,
# the fuzzing campaign, the packaging and the tools use, when they are
# missing. Safe to run again: it does nothing once all are there. As root it
# runs apt-get itself; otherwise through sudo when there is one; without
# either it prints the command to run as root and fails. It also makes the
# French locale (fr_FR.UTF-8, whose decimal separator is a comma) that the
# number text tests run under, when the machine lacks it.
set -euo pipefail

packages=(
  # compiler, build and packaging tools (dpkg-shlibdeps, file: the .deb's
  # dependencies; binutils with build-essential: nm and readelf in tests)
  build-essential cmake ninja-build pkg-config dpkg-dev file
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  # the kit: UUIDs
  uuid-dev
  # the graphics kit: drawing, fonts (DejaVu is the tests' installed font), images
  libcairo2-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libpng-dev libjpeg-dev
  # text input: keyboard layouts and the system's rules they include
  libxkbcommon-dev libxkbregistry-dev xkb-data
  # the studio's core: recordings
  libsndfile1-dev
  # the studio's core: playback (GStreamer, with the decoders of -good and -libav) and sonograms
  libgstreamer1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  libfftw3-dev
  # Talvane Studio: GTK 4; its end-to-end test drives it under Xvfb with
  # xdotool and reads screenshots with ImageMagick
  libgtk-4-dev xvfb xauth xdotool imagemagick fonts-dejavu-core dbus-x11
  # the studio clipboard test reads and writes the desktop clipboard; the
  # window test tells an exported PDF by its content and measures the file
  # chooser's window (xwininfo)
  xclip file x11-utils
  # message catalogs (msgfmt); the symbol font generator (tools/make_pelmar_font.py)
  gettext python3-fonttools
  # the fuzzing campaign (tools/fuzz.sh): Clang with libFuzzer
  clang libclang-rt-14-dev
  # locale sources for localedef (the decimal-comma tests)
  locales
)

# Whether fr_FR.UTF-8 is among the machine's locales (locale -a spells it
# fr_FR.utf8).
has_comma_locale() {
  locale -a 2>/dev/null | grep -qix 'fr_FR\.utf-\?8'
}

# The root prefix, or nothing when this user can't act as root.
as_root=()
can_act_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    as_root=()
  elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    return 1
  fi
}

make_comma_locale() {
  has_comma_locale && return 0
  if ! can_act_as_root; then
    echo "bootstrap: fr_FR.UTF-8 is missing (the decimal-comma tests will skip); as root run:" >&2
    echo "    localedef -i fr_FR -f UTF-8 fr_FR.UTF-8" >&2
    return 0
  fi
  echo "bootstrap: making the locale fr_FR.UTF-8" >&2
  # A failure here only makes the decimal-comma tests skip.
  "${as_root[@]}" localedef -i fr_FR -f UTF-8 fr_FR.UTF-8 ||
    echo "bootstrap: localedef failed; the decimal-comma tests will skip" >&2
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  make_comma_locale
  exit 0
fi

echo "bootstrap: installing ${missing[*]}" >&2
if ! can_act_as_root; then
  echo "bootstrap: these Debian packages are missing and this user can neither install them" >&2
  echo "bootstrap: (not root, no sudo). Run as root, then try again:" >&2
  echo "" >&2
  echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
make_comma_locale
