#!/usr/bin/env bash
# check-install.sh ROOT
#
# Checks an installed Talvane tree: ROOT is the installation's prefix (as
# `cmake --install BUILD --prefix ROOT` made it, or ROOT/usr of a Debian
# package unpacked with `dpkg -x talvane_*.deb ROOT`). The host runs from a
# folder of its own, far from any build or source tree, and must:
#   - print its version;
#   - load the installed plug-in and its shared kits by relative paths only;
#   - run the demo, finding the symbol font (no missing-font status -1204,
#     which is logged before a "Pelmar?" label is drawn) and the symbol
#     keyboard layouts (the inspector lists them; typing works);
#   - find the installed French catalog.
# Talvane Studio, installed beside it, must print its version and usage and
# export a document's score without a display (the same plug-in, kits and
# font found from its own place); its desktop entry and icon must be there.
# Prints one line per check and exits non-zero when any failed.
set -u
if [[ $# -ne 1 || ! -x "$1/bin/talvane-host" ]]; then
  echo "usage: $0 ROOT   (ROOT/bin/talvane-host must exist)" >&2
  exit 2
fi
root="$(cd "$1" && pwd)"
host="$root/bin/talvane-host"
studio="$root/bin/talvane-studio"
work="$(mktemp -d /tmp/talvane-install-check-XXXXXX)"
trap 'rm -rf "$work"' EXIT
failed=0
pass() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; failed=1; }

# Run from an empty folder, with a home of its own (the repository lives there).
mkdir -p "$work/cwd" "$work/home"
cd "$work/cwd" || exit 1
run() { HOME="$work/home" "$host" "$@" >"$work/out" 2>"$work/err"; }

if run --version && grep -Eq '^talvane-host [0-9]+\.[0-9]+\.[0-9]+$' "$work/out"; then
  pass "version: $(cat "$work/out")"
else fail "version: $(cat "$work/out" "$work/err")"; fi

# Run-time paths: relative to the programs themselves, never a build folder.
for binary in "$host" "$studio" "$root"/lib*/talvane/StdTalvane.so "$root"/lib*/talvane/../libtalvane-kits.so.*; do
  [[ -e "$binary" ]] || { fail "missing $binary"; continue; }
  runpath="$(readelf -d "$binary" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')"
  if [[ -z "$runpath" || "$runpath" == \$ORIGIN* ]]; then pass "run-time path of ${binary#"$root"/}: ${runpath:-none}"
  else fail "run-time path of ${binary#"$root"/} is $runpath"; fi
done
if HOME="$work/home" LD_DEBUG=libs "$host" info >"$work/out" 2>"$work/ld"; then
  kits="$(grep -o 'calling init: [^ ]*libtalvane-kits[^ ]*' "$work/ld" | sed 's/calling init: //' | sort -u)"
  if [[ "$(readlink -f "$kits")" == "$root"/* ]]; then pass "the shared kits come from the installed tree"
  else fail "the shared kits come from ${kits:-nowhere}"; fi
else fail "info: $(cat "$work/out")"; fi

if run demo "$work/demo"; then pass "demo ran"; else fail "demo exited non-zero: $(cat "$work/err")"; fi
if grep -q -- '-1204' "$work/err"; then fail "the symbol font was not found: $(grep -- -1204 "$work/err")"
else pass "the symbol font was found"; fi
if [[ -s "$work/demo/demo.png" && -s "$work/demo/demo.svg" && -s "$work/demo/demo-library.png" ]]; then
  pass "the demo drew its pictures"
else fail "pictures missing: $(ls "$work/demo" 2>&1)"; fi

# The symbol layouts: the inspector's keyboard menu lists them (without
# them it shows "<Not Installed>"), and typing R with the first of them
# changes the text.
run create "$work/typed.tlv" 1
if run --lang en inspect "$work/typed.tlv" 0 && grep -q 'PopupMenu  Current | \[Brindel\]' "$work/out"; then
  pass "the symbol keyboard layouts were found"
else fail "no symbol keyboard layouts: $(grep PopupMenu "$work/out" | head -n 1) $(cat "$work/err")"; fi
run list "$work/typed.tlv"
before="$(grep 'UnicodeText' "$work/out")"
if run type "$work/typed.tlv" 0 KEY_R && run list "$work/typed.tlv" &&
   [[ "$(grep 'UnicodeText' "$work/out")" != "$before" ]]; then
  pass "typing into an object"
else fail "typing changed nothing: $(cat "$work/out" "$work/err")"; fi

# The French catalog: the inspector panel speaks French.
if run --lang fr inspect "$work/typed.tlv" 0 && grep -q 'Claviers' "$work/out"; then
  pass "the French catalog was found"
else fail "no French panel: $(cat "$work/out" "$work/err")"; fi

# Talvane Studio.
studio_run() { HOME="$work/home" "$studio" "$@" >"$work/out" 2>"$work/err"; }
if studio_run --version && grep -Eq '^talvane-studio [0-9]+\.[0-9]+\.[0-9]+$' "$work/out"; then
  pass "studio version: $(cat "$work/out")"
else fail "studio version: $(cat "$work/out" "$work/err")"; fi
if studio_run --help && grep -q 'talvane-studio' "$work/out"; then pass "studio usage"
else fail "studio --help: $(cat "$work/out" "$work/err")"; fi
if studio_run --export "$work/studio.png" "$work/typed.tlv" && [[ -s "$work/studio.png" ]] &&
   ! grep -q -- '-1204' "$work/err"; then
  pass "the studio exports a score with the installed plug-in and font"
else fail "studio export: $(cat "$work/out" "$work/err")"; fi
for file in share/applications/talvane-studio.desktop \
            share/icons/hicolor/scalable/apps/talvane-studio.svg \
            share/talvane/locale/fr/LC_MESSAGES/TalvaneStudio.mo; do
  if [[ -s "$root/$file" ]]; then pass "installed $file"; else fail "missing $file"; fi
done
if grep -q '^Exec=talvane-studio' "$root/share/applications/talvane-studio.desktop" 2>/dev/null; then
  pass "the desktop entry starts talvane-studio"
else fail "the desktop entry does not start talvane-studio"; fi

if [[ $failed -eq 0 ]]; then echo "check-install: all checks passed"; else echo "check-install: FAILED"; fi
exit $failed
