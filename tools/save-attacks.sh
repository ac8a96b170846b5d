#!/usr/bin/env bash
# save-attacks.sh HOST [ROUNDS]
#
# Attacks the reference host's saving from outside, as another user of the
# document's folder or a second program would, and checks that it holds:
#
#   1. Planted links: symbolic links to a victim file at the old fixed
#      temporary name (DOC.saving) and at names of the temporary pattern
#      (.DOC.saving-XXXXXXXX) are never written through.
#   2. Racing writers: two processes run ROUNDS `set` commands (200 by
#      default) on one document at once, each on an object of its own with a
#      value of its own, while a third lists the document over and over. No
#      set that exits 0 may lose its change, no set whose change is missing
#      may exit 0, and no listing may find the document damaged.
#   3. A read-only document (0444) is refused (non-zero exit, status -709)
#      and left as it was, mode included.
#   4. A document reached through a symbolic link is changed at its target,
#      with its mode kept; the link stays a link.
#
# HOST is a built talvane-host (it finds its plug-in beside itself). Prints a
# summary line for every check and exits non-zero when any failed. Under
# AddressSanitizer 200 rounds take about two minutes on two busy cores; the
# CTest entry (host_SaveAttacks) runs 40.
set -u

if [[ $# -lt 1 || ! -x "$1" ]]; then
  echo "usage: $0 HOST [ROUNDS]" >&2
  exit 2
fi
host="$1"
rounds="${2:-200}"
work="$(mktemp -d /tmp/save-attacks-XXXXXX)"
trap 'rm -rf "$work"' EXIT
failed=0

pass() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; failed=1; }
run() { "$host" --lang en "$@" >"$work/out" 2>&1; }

# ---- 1. planted links
doc="$work/planted/doc.tlv"
mkdir -p "$work/planted"
run create "$doc" 2 || fail "planted: create: $(cat "$work/out")"
victim="$work/victim"
echo precious >"$victim"
ln -s "$victim" "$doc.saving"
for i in $(seq 1 40); do
  name="$(head -c 64 /dev/urandom | tr -dc 'a-z0-9' | head -c 8)"
  ln -sf "$victim" "$work/planted/.doc.tlv.saving-$name"
done
planted=$(ls -A "$work/planted" | wc -l)
for i in 1 2 3; do
  run set "$doc" 0 FontSize $((20 + i)) || fail "planted: set $i exited non-zero: $(cat "$work/out")"
done
echo precious >"$work/victim.expected"
if cmp -s "$victim" "$work/victim.expected"; then pass "planted links: the victim is untouched"
else fail "planted links: the victim was overwritten"; fi
links=$(find "$work/planted" -mindepth 1 -type l | wc -l)
if [[ $links -eq $((planted - 1)) && $(ls -A "$work/planted" | wc -l) -eq $planted ]]; then
  pass "planted links: all $links still links, no file left behind"
else fail "planted links: $links links, $(ls -A "$work/planted" | wc -l) names (expected $((planted - 1)), $planted)"; fi
run list "$doc"
if grep -q "FontSize = 23" "$work/out"; then pass "planted links: the document took the change"
else fail "planted links: the change is missing"; fi

# ---- 2. racing writers
doc="$work/race/doc.tlv"
mkdir -p "$work/race"
run create "$doc" "$rounds" || fail "race: create: $(cat "$work/out")"
value() { echo $((10 + $1 % 180)); }
writer() {  # writer FIRST: sets every other object from FIRST
  local i
  for ((i = $1; i < rounds; i += 2)); do
    "$host" --lang en set "$doc" "$i" FontSize "$(value "$i")" >"$work/race/set-$i.out" 2>&1
    echo "$i $?" >>"$work/race/exits-$1"
  done
}
reader() {
  local n=0 bad=0
  while [[ ! -e "$work/race/done" ]]; do
    "$host" --lang en list "$doc" >"$work/race/list.out" 2>&1 || { bad=$((bad + 1)); cp "$work/race/list.out" "$work/race/bad-list.out"; }
    n=$((n + 1))
  done
  echo "$n $bad" >"$work/race/reads"
}
reader & readerPid=$!
writer 0 & a=$!
writer 1 & b=$!
wait $a $b
touch "$work/race/done"
wait $readerPid
run list "$doc"
cp "$work/out" "$work/race/final"
declare -A kept
while read -r index size; do kept[$index]=$size; done < <(awk '
  /^#[0-9]+ / { index_ = substr($1, 2) }
  /^    FontSize = / { print index_, $3 }' "$work/race/final")
lost=0 falseZero=0 refused=0 wrongRefusal=0
while read -r i code; do
  if [[ $code -eq 0 ]]; then
    [[ "${kept[$i]:-}" == "$(value "$i")" ]] || lost=$((lost + 1))
  else
    refused=$((refused + 1))
    grep -q "status -708" "$work/race/set-$i.out" || wrongRefusal=$((wrongRefusal + 1))
    [[ "${kept[$i]:-}" == 48 ]] || falseZero=$((falseZero + 1))
  fi
done < <(cat "$work/race/exits-0" "$work/race/exits-1")
read -r reads badReads <"$work/race/reads"
if [[ $lost -eq 0 ]]; then pass "race: $rounds sets, 0 lost updates ($refused refused as locked)"
else fail "race: $lost of $rounds sets exited 0 but their change is gone"; fi
if [[ $falseZero -eq 0 && $wrongRefusal -eq 0 ]]; then pass "race: every refused set left its object alone and said why"
else fail "race: $falseZero refused sets changed the document, $wrongRefusal refusals were not -708"; fi
if [[ $badReads -eq 0 ]]; then pass "race: $reads listings during the race, none failed"
else fail "race: $badReads of $reads listings failed: $(cat "$work/race/bad-list.out")"; fi

# ---- 3. read-only document
doc="$work/readonly.tlv"
run create "$doc" || fail "read-only: create: $(cat "$work/out")"
chmod 0444 "$doc"
cp "$doc" "$work/readonly.before"
if run set "$doc" 0 FontSize 30; then fail "read-only: set exited 0"
elif grep -q "status -709" "$work/out"; then pass "read-only: refused with status -709"
else fail "read-only: refused without status -709: $(cat "$work/out")"; fi
if cmp -s "$doc" "$work/readonly.before" && [[ "$(stat -c %a "$doc")" == 444 ]]; then
  pass "read-only: bytes and mode 0444 unchanged"
else fail "read-only: the document changed (mode $(stat -c %a "$doc"))"; fi

# ---- 4. document behind a symbolic link
mkdir -p "$work/real"
target="$work/real/doc.tlv"
run create "$target" || fail "link: create: $(cat "$work/out")"
chmod 0640 "$target"
ln -s real/doc.tlv "$work/link.tlv"
run set "$work/link.tlv" 0 FontSize 30 || fail "link: set exited non-zero: $(cat "$work/out")"
if [[ -L "$work/link.tlv" ]]; then pass "link: the link is still a link"
else fail "link: the link was replaced by a file"; fi
run list "$target"
if grep -q "FontSize = 30" "$work/out" && [[ "$(stat -c %a "$target")" == 640 ]]; then
  pass "link: the target took the change and kept mode 0640"
else fail "link: target mode $(stat -c %a "$target"), change $(grep -c 'FontSize = 30' "$work/out")"; fi
if [[ $(ls -A "$work/real" | wc -l) -eq 1 ]]; then pass "link: no file left beside the target"
else fail "link: files beside the target: $(ls -A "$work/real")"; fi

if [[ $failed -eq 0 ]]; then echo "save-attacks: all checks passed"; else echo "save-attacks: FAILED"; fi
exit $failed
