#!/usr/bin/env bash
# Takes the README's pictures of Talvane Studio (docs/studio-*.png) on a
# virtual X display: the demo recording, two objects placed with the mouse,
# one of them typed into; then the same score over the sonogram, played
# from the cursor, paused over the tone, and a third object placed at the
# cursor there and typed into; and the score in French with the View menu
# open. Builds the studio first (build/release).
#   ./tools/studio-screenshots.sh [OUT_DIR]      # docs/ by default
# STUDIO_BUILD=DIR uses the programs already built in DIR instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(cd "${1:-$root/docs}" 2>/dev/null && pwd || { mkdir -p "$1" && cd "$1" && pwd; })"
if [ -z "${DISPLAY:-}" ] || [ -z "${STUDIO_SHOTS_INNER:-}" ]; then
  "$root/tools/bootstrap.sh"
  build="${STUDIO_BUILD:-}"
  if [ -z "$build" ]; then
    build="$root/build/release"
    generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTALVANE_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target talvane-studio talvane-studio-recording
  fi
  build="$(cd "$build" && pwd)"
  STUDIO_SHOTS_INNER=1 STUDIO_BUILD="$build" exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$out"
fi

build="$STUDIO_BUILD"
work="$(mktemp -d /tmp/studio-shots-XXXXXX)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
"$build/talvane-studio-recording" "$work/demo.wav" 10 2000 5000
ASAN_OPTIONS=detect_leaks=0 GSK_RENDERER=cairo TALVANE_STUDIO_SOUND=silent "$build/talvane-studio" "$work/demo.tlv" "$work/demo.wav" >"$work/log" 2>&1 &
pid=$!
win="$(timeout 30 xdotool search --sync --onlyvisible --name "Talvane Studio" | head -1)"
sleep 1.5  # the waveform's summary

drag() {
  xdotool mousemove --window "$win" "$1" "$2" mousedown 1 mousemove --window "$win" $((($1 + $3) / 2)) $((($2 + $4) / 2)) \
    mousemove --window "$win" "$3" "$4" mouseup 1
  sleep 0.3
}
type_into() {
  xdotool mousemove --window "$win" "$1" "$2" click --repeat 2 --delay 60 1
  sleep 0.3
  shift 2
  xdotool key --window "$win" "$@"
  sleep 0.3
}
# A symbol over the tone, another after it.
drag 180 180 330 300
type_into 250 240 r shift+r t
xdotool key --window "$win" Escape
drag 520 200 760 290
type_into 640 245 e shift+e
import -window "$win" "$out/studio-typing.png"
xdotool key --window "$win" Escape
xdotool mousemove --window "$win" 250 240 click 1
sleep 0.5
import -window "$win" "$out/studio-score.png"
# The sonogram under the symbols; the cursor placed by a click on the ruler
# at 1.5 s (16 ms a pixel from x = 33), space plays from it and again pauses
# over the tone (2 s to 5 s); a drag from the cursor (the playhead line)
# places a symbol there, just above the tone's band.
xdotool key --window "$win" ctrl+g
xdotool mousemove --window "$win" 127 44 click 1
sleep 2  # the sonogram's tiles
xdotool key --window "$win" space
sleep 2
xdotool key --window "$win" space
sleep 0.5
# The playhead's red in row 400 of the window.
import -window "$win" "$work/paused.png"
cursor="$(convert "$work/paused.png" -crop 1100x1+0+400 +repage -depth 8 rgb:- | /usr/bin/python3 -c '
import sys
row = sys.stdin.buffer.read()
print(next((x for x in range(len(row) // 3)
            if row[3 * x] > 180 and row[3 * x + 1] < 80 and row[3 * x + 2] < 80), 220))')"

drag "$cursor" 390 $((cursor + 180)) 468
type_into $((cursor + 90)) 430 e r shift+t
xdotool key --window "$win" Escape
xdotool mousemove --window "$win" 900 300 click 1
sleep 0.5
import -window "$win" "$out/studio-sonogram.png"
xdotool key --window "$win" ctrl+g
xdotool key --window "$win" ctrl+s
sleep 0.5
xdotool key --window "$win" ctrl+q 2>/dev/null || true
wait "$pid" || true
pid=""
# The same score in French, the View menu open (F10 opens the menu bar).
ASAN_OPTIONS=detect_leaks=0 GSK_RENDERER=cairo TALVANE_STUDIO_SOUND=silent "$build/talvane-studio" --lang fr "$work/demo.tlv" >"$work/log" 2>&1 &
pid=$!
win="$(timeout 30 xdotool search --sync --onlyvisible --name "Talvane Studio" | head -1)"
sleep 1.5
xdotool key --window "$win" F10
sleep 0.3
xdotool key --window "$win" Right Right
sleep 0.5
import -window root -crop 1100x520+0+0 "$out/studio-french.png"
xdotool key --window "$win" Escape Escape
xdotool key --window "$win" ctrl+q 2>/dev/null || true
wait "$pid" || true
pid=""
echo "pictures in $out: studio-score.png studio-typing.png studio-sonogram.png studio-french.png"
