#!/usr/bin/env bash
# End-to-end test of listening and the sonogram in Talvane Studio's window,
# run on an X display (CTest starts it under xvfb-run). Writes a 20 s
# recording at 48 kHz (long enough to be still playing when paused, however
# slow the screenshots): two pure tones, 1500 Hz and 9000 Hz at amplitude
# 0.4 each, for the first 8 s, then silence. The studio plays into no device
# (TALVANE_STUDIO_SOUND=silent: real-time pace, no sound card needed).
#
# - ctrl+G shows the sonogram: over the tones, a column of the strip holds
#   two bright bands, each at the row of its frequency on the linear axis
#   (0 Hz at the strip's bottom, 24 kHz at its top); over the silence, no
#   bright pixel at all.
# - space plays: the playhead line moves right and the time in the status
#   line changes; space again pauses: both stay where they are.
# - play, stop at a sound, place a symbol there: paused over the tones, the
#   cursor is where the sound stopped; a drag from it on the empty score
#   makes an object whose frame starts within a few pixels of it, its
#   symbols drawn over the sonogram (the screenshot placed.png).
# - space while the object is typed into goes to the object (its look
#   changes: a blank symbol and the caret move on), not to the transport
#   (the playhead and the time shown stay).
#
#   studio_listen_e2e.sh BUILD_DIR [SHOTS_DIR]
set -euo pipefail
source "$(dirname "$0")/studio_e2e_lib.sh"
studio_e2e_begin studio-listen "$1" "${2:-}"

recording="$work/tones.wav"
/usr/bin/python3 - "$recording" <<'EOF'
import math, struct, sys, wave
rate = 48000
frames = []
for i in range(rate * 20):
    v = 0.0
    if i < rate * 8:
        t = i / rate
        v = 0.4 * math.sin(2 * math.pi * 1500 * t) + 0.4 * math.sin(2 * math.pi * 9000 * t)
    frames.append(struct.pack("<h", int(round(v * 32767))))
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(b"".join(frames))
EOF

start_studio TALVANE_STUDIO_SOUND=silent -- "$work/notes.tlv" "$recording"

# pixels SHOT QUESTION ARGS...: questions about a screenshot's pixels.
#   strip X          the rows of the sonogram strip in column X: "TOP BOTTOM"
#                    (the longest run of the map's colours in that column)
#   bands X TOP BOT  the runs of bright rows (the upper half of the map)
#                    between TOP and BOT in column X: "Y1-Y2 Y1-Y2 ..."
#   wave X           how many pixels of column X are the waveform's colour
#   red Y            the columns of the playhead's red in row Y: "X1 X2 ..."
#   selection T B    the box of the selection's blue between rows T and B:
#                    "X1 Y1 X2 Y2" (empty when there is none)
#   ink X1 Y1 X2 Y2  how many near-black pixels the box holds
pixels() {
  /usr/bin/python3 - "$work/$1.rgb" "$(identify -format %w "$shots/$1.png")" "${@:2}" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
width = int(sys.argv[2])
height = len(data) // (3 * width)
what = sys.argv[3]
args = [int(v) for v in sys.argv[4:]]
def px(x, y):
    i = (y * width + x) * 3
    return data[i], data[i + 1], data[i + 2]
def is_wave(p):
    return abs(p[0] - 0x50) < 24 and abs(p[1] - 0x78) < 24 and abs(p[2] - 0xA0) < 24
def in_map(p):
    # viridis runs from dark purple (68, 1, 84) through blue and green to
    # yellow (253, 231, 37): green grows along it, and blue never passes
    # 170; greys, the waveform's blue and the playhead's red are not on it.
    r, g, b = p
    return (b > 30 or g > 150) and b <= 170 and not (r > 150 and g < 100) and not is_wave(p)
def bright(p):
    return in_map(p) and p[1] >= 150
if what == "strip":
    x = args[0]
    best, run, start = (0, 0, 0), 0, 0
    for y in range(height):
        if in_map(px(x, y)):
            if run == 0:
                start = y
            run += 1
            if run > best[0]:
                best = (run, start, y)
        else:
            run = 0
    print(best[1], best[2])
elif what == "bands":
    x, top, bottom = args
    runs, start = [], None
    for y in range(top, bottom + 1):
        if bright(px(x, y)):
            if start is None:
                start = y
        elif start is not None:
            runs.append("%d-%d" % (start, y - 1))
            start = None
    if start is not None:
        runs.append("%d-%d" % (start, bottom))
    print(" ".join(runs))
elif what == "wave":
    x = args[0]
    print(sum(1 for y in range(height) if is_wave(px(x, y))))
elif what == "red":
    y = args[0]
    print(" ".join(str(x) for x in range(width)
                   if px(x, y)[0] > 180 and px(x, y)[1] < 80 and px(x, y)[2] < 80))
elif what == "selection":
    top, bottom = args
    # The outline and handles' colour, 0x1E64DC.
    hits = [(x, y) for y in range(top, bottom + 1) for x in range(width)
            if abs(px(x, y)[0] - 0x1E) < 20 and abs(px(x, y)[1] - 0x64) < 20
            and abs(px(x, y)[2] - 0xDC) < 20]
    if hits:
        xs = [h[0] for h in hits]
        ys = [h[1] for h in hits]
        print(min(xs), min(ys), max(xs), max(ys))
elif what == "ink":
    x1, y1, x2, y2 = args
    print(sum(1 for y in range(y1, y2 + 1) for x in range(x1, x2 + 1) if max(px(x, y)) < 60))
EOF
}

# The view fits the recording: 20 s at 32 ms a pixel from x = 32, the tones
# up to x = 282, the end at x = 657. Columns 150 (over the tones) and 600
# (over the silence) are well inside each part.
# The waveform first (the window is up and its recording read), then ctrl+G.
wave_ready() {
  shot wave
  [ "$(pixels wave wave 150)" -gt 100 ]
}
wait_for 60 wave_ready || fail "no waveform over the tones"
# A click on the ruler (the menu bar is about 24 pixels high, the ruler the
# 24 below) puts the cursor at 0 and gives the score the keyboard.
xdotool mousemove --window "$win" 33 36 click 1
sleep 0.3
# Keys go to the window with the keyboard focus; without a window manager
# nobody hands it over, so the test does.
xdotool windowfocus "$win"
sleep 0.3
xdotool key --window "$win" ctrl+g
sonogram_ready() {
  shot sonogram
  local strip
  strip="$(pixels sonogram strip 150)"
  read -r top bottom <<<"$strip"
  # Tiles arrive one after the other: over the silence too.
  [ $((bottom - top)) -gt 200 ] && [ "$(pixels sonogram bands 150 "$top" "$bottom" | wc -w)" = 2 ] \
    && [ "$(pixels sonogram strip 600)" = "$strip" ]
}
wait_for 60 sonogram_ready || fail "no sonogram with two bands: strip $(pixels sonogram strip 150), bands $(pixels sonogram bands 150 0 700)"
read -r top bottom <<<"$(pixels sonogram strip 150)"
rows=$((bottom - top + 1))
# The row of a frequency on the linear axis, counted from the strip's top.
row_of() { echo $((bottom - ($1 * rows) / 24000)); }
bands="$(pixels sonogram bands 150 "$top" "$bottom")"
for pair in "1500 ${bands#* }" "9000 ${bands% *}"; do
  read -r hz band <<<"$pair"
  want=$(row_of "$hz")
  y1=${band%-*}
  y2=${band#*-}
  [ "$y1" -ge $((want - 3)) ] && [ "$y2" -le $((want + 3)) ] \
    || fail "the $hz Hz band at rows $band, want about $want (strip $top-$bottom)"
done
[ -z "$(pixels sonogram bands 600 "$top" "$bottom")" ] \
  || fail "bright rows over the silence: $(pixels sonogram bands 600 "$top" "$bottom")"
# The strip over the silence is the map's floor, not the background.
read -r stop sbottom <<<"$(pixels sonogram strip 600)"
[ "$stop" = "$top" ] && [ "$sbottom" = "$bottom" ] || fail "the strip over the silence: $stop-$sbottom"

# The time in the status line: the pixels of the status line's right end.
status_of() {
  convert "$shots/$1.png" -gravity SouthEast -crop 260x22+0+0 +repage -depth 8 rgb:- | md5sum \
    | cut -d' ' -f1
}
playhead_of() { pixels "$1" red $((top + 5)) | awk '{print $1}'; }

shot stopped
[ "$(playhead_of stopped)" != "" ] || fail "no playhead line at the cursor"
xdotool key --window "$win" space
sleep 1.2
shot playing1
sleep 0.8
shot playing2
x1="$(playhead_of playing1)"
x2="$(playhead_of playing2)"
[ -n "$x1" ] && [ -n "$x2" ] && [ "$x2" -gt "$x1" ] || fail "the playhead did not move: $x1 then $x2"
[ "$(status_of playing1)" != "$(status_of playing2)" ] || fail "the time shown did not move"

xdotool key --window "$win" space
sleep 0.5
shot paused1
sleep 0.8
shot paused2
[ "$(playhead_of paused1)" = "$(playhead_of paused2)" ] || fail "the playhead moved after pausing"
[ "$(status_of paused1)" = "$(status_of paused2)" ] || fail "the time shown moved after pausing"
[ "$(playhead_of paused1)" -ge "$x2" ] || fail "pausing put the playhead back"

# Stopped at a sound: the cursor (the playhead line) lies over the tones.
cursor="$(playhead_of paused2)"
[ "$cursor" -lt 282 ] || fail "paused after the tones, at x = $cursor"
# A drag from the cursor on the empty score, in the strip's upper part,
# over no band, draws a new object's frame: it is selected, its outline and
# handles (7 pixels, centred on the frame's corners) in the selection's blue.
y1=$((top + 40))
y2=$((top + 130))
xdotool mousemove --window "$win" "$cursor" "$y1" mousedown 1 \
  mousemove --window "$win" $((cursor + 60)) $((y1 + 40)) \
  mousemove --window "$win" $((cursor + 150)) "$y2" mouseup 1
placed_ready() {
  shot placed
  [ -n "$(pixels placed selection "$top" "$bottom")" ]
}
wait_for 20 placed_ready || fail "no new object after the drag from the cursor"
read -r sx1 sy1 sx2 sy2 <<<"$(pixels placed selection "$top" "$bottom")"
# The frame's left edge lies 3 to 4 pixels right of the handles' left edge.
frame_left=$((sx1 + 3))
[ $((frame_left - cursor)) -le 3 ] && [ $((cursor - frame_left)) -le 3 ] \
  || fail "the new frame starts at x = $frame_left, the cursor at x = $cursor"
[ "$(pixels placed ink "$sx1" "$sy1" "$sx2" "$sy2")" -gt 50 ] \
  || fail "no symbols in the new object over the sonogram"
[ "$(playhead_of placed)" = "$cursor" ] || fail "placing the object moved the cursor"

# Return types into the new object; space then goes to it, not to the
# transport.
xdotool key --window "$win" Return
sleep 0.8
shot typing1
xdotool key --window "$win" space
sleep 1.5
shot typing2
object_pixels() {
  convert "$shots/$1.png" -crop $((sx2 - sx1 - 8))x$((sy2 - sy1 - 8))+$((sx1 + 4))+$((sy1 + 4)) \
    +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1
}
[ "$(object_pixels typing1)" != "$(object_pixels typing2)" ] \
  || fail "space while typing did not reach the object"
[ "$(playhead_of typing2)" = "$cursor" ] || fail "space while typing moved the playhead"
[ "$(status_of typing1)" = "$(status_of typing2)" ] || fail "space while typing started playback"
xdotool key --window "$win" Escape
sleep 0.3
xdotool key --window "$win" ctrl+s
sleep 0.5
[ -s "$work/notes.tlv" ] || fail "the document was not saved"

xdotool key --window "$win" ctrl+q
wait "$pid" || fail "the studio did not quit cleanly"
pid=""
no_errors_logged
echo "studio listening and sonogram: all checks passed"
