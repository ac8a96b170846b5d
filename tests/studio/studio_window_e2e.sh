#!/usr/bin/env bash
# End-to-end test of Talvane Studio's window, run on an X display (CTest
# starts it under xvfb-run). Writes a 10 s recording that is loud from 2 s
# to 5 s and silent elsewhere, starts the studio on it and on a document
# path that does not exist yet, and drives it with real input events:
# a drag creates an object, a double-click begins typing, two keys are typed,
# Escape ends typing, ctrl+S saves, ctrl+Z and ctrl+shift+Z undo and redo the
# typing, ctrl+S saves again, ctrl+Q quits. The saved document is opened
# again (its objects and its recording come back) and exported from the
# window (ctrl+E) to PNG, SVG and PDF; a French window (LANG) shows French
# texts. It checks the saved documents with talvane-host, the pictures
# exported and the pixels of screenshots of the window.
#
#   studio_window_e2e.sh BUILD_DIR [SHOTS_DIR]
#
# SHOTS_DIR keeps the screenshots (a temporary folder otherwise).
set -euo pipefail
source "$(dirname "$0")/studio_e2e_lib.sh"
studio_e2e_begin studio-e2e "$1" "${2:-}"

recording="$work/take.wav"
doc="$work/notes.tlv"
"$build/talvane-studio-recording" "$recording" 10 2000 5000

start_studio -- "$doc" "$recording"
title="notes.tlv (take.wav) - Talvane Studio"
title_is "$title" || fail "title \"$(xdotool getwindowname "$win")\""

# Questions about a screenshot's pixels.
# pixels.py SHOT X1 Y1 X2 Y2 KIND: how many pixels of the rectangle are of
# KIND (wave: the waveform's colour; ink: near black).
count() {
  /usr/bin/python3 - "$work/$1.rgb" "$(identify -format %w "$shots/$1.png")" "${@:2}" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
width = int(sys.argv[2])
x1, y1, x2, y2 = (int(v) for v in sys.argv[3:7])
kind = sys.argv[7]
n = 0
for y in range(y1, y2 + 1):
    for x in range(x1, x2 + 1):
        i = (y * width + x) * 3
        r, g, b = data[i], data[i + 1], data[i + 2]
        if kind == "wave":
            n += abs(r - 0x50) < 24 and abs(g - 0x78) < 24 and abs(b - 0xA0) < 24
        else:
            n += r < 80 and g < 80 and b < 80
print(n)
EOF
}
# shows NAME X1 Y1 X2 Y2 KIND MIN: a new screenshot NAME has at least MIN
# pixels of KIND in the rectangle (the window draws on its next frame, a
# little after the change).
shows() { shot "$1" && [ "$(count "$@" | head -1)" -ge "$7" ]; }

# The view fits the recording: 10 s and a 32-pixel margin on each side fit
# 1100 pixels at 16 ms a pixel, time 0 at x = 32. The waveform band lies
# between the ruler and the scrollbar; row 250 crosses it.
x_of() { echo $((32 + $1 / 16)); }
loud_from=$(x_of 2000)
loud_to=$(x_of 5000)
wave_ready() { shot wave && [ "$(count wave $((loud_from + 4)) 250 $((loud_from + 4)) 250 wave)" = 1 ]; }
wait_for 60 wave_ready || fail "no waveform where the recording is loud"
# Ink over the whole loud interval, none over the silent ones (a pixel of
# slack at each edge of the interval).
[ "$(count wave $((loud_from + 2)) 240 $((loud_to - 2)) 260 wave)" = $(((loud_to - loud_from - 3) * 21)) ] \
  || fail "the loud interval is not all waveform"
[ "$(count wave $(x_of 0) 60 $((loud_from - 2)) 440 wave)" = 0 ] || fail "waveform before 2 s"
[ "$(count wave $((loud_to + 2)) 60 $(x_of 10000) 440 wave)" = 0 ] || fail "waveform after 5 s"

# Drag out an object over silence: 600,150 to 700,300.
xdotool mousemove --window "$win" 600 150 mousedown 1 mousemove --window "$win" 650 220 \
  mousemove --window "$win" 700 300 mouseup 1
wait_for 30 title_is "*$title" || fail "creating did not mark the document modified"
wait_for 30 shows created 603 153 697 297 ink 20 || fail "no ink of the object inside its frame"
[ "$(count created 720 60 1000 440 ink)" = 0 ] || fail "ink right of the object"

# Type into it: a double-click begins, r and shift+r type two symbols over
# the whole text (selected when typing begins), a click left of the first
# symbol puts the caret before it, t types a third there, Escape ends.
xdotool mousemove --window "$win" 650 225 click --repeat 2 --delay 60 1
sleep 0.3
xdotool key --window "$win" r shift+r
sleep 0.3
shot typing
xdotool mousemove --window "$win" 601 225 click 1
xdotool key --window "$win" t
xdotool key --window "$win" Escape
xdotool key --window "$win" ctrl+s
wait_for 30 test -f "$doc" || fail "ctrl+S wrote no document"
wait_for 30 title_is "$title" || fail "saving left the modified mark"

# What the same keys make of a default object in the reference host.
"$host" create "$work/expected.tlv" 1 >/dev/null
"$host" type "$work/expected.tlv" 0 KEY_R shift+KEY_R ctrl+Left KEY_T >/dev/null
expected_text="$("$host" list "$work/expected.tlv" | grep UnicodeText)"
"$host" list "$doc" >"$work/saved1.txt" || fail "talvane-host can't read the saved document"
grep -q "^$doc: 1 object," "$work/saved1.txt" || fail "not one object: $(cat "$work/saved1.txt")"
# Frame: time 568 to 668 pixels from time 0 at 16 ms a pixel; 150 pixels high.
frame="$(grep -o 'frame ([^)]*)' "$work/saved1.txt")"
IFS=';' read -r fx1 fy1 fx2 fy2 <<<"${frame#frame (}"
fy2="${fy2%)}"
[ "$fx1" = 9088 ] && [ "$fx2" = 10688 ] || fail "frame times $frame"
[ $((fy2 - fy1)) = 150 ] || fail "frame height $frame"
grep -qF "$expected_text" "$work/saved1.txt" || fail "typed text: want $expected_text, got $(grep UnicodeText "$work/saved1.txt")"
"$host" create "$work/default.tlv" 1 >/dev/null
default_text="$("$host" list "$work/default.tlv" | grep UnicodeText)"
[ "$expected_text" != "$default_text" ] || fail "typing changed nothing in the reference host"

# Undo takes the typing back (modified), redo brings it again (clean).
xdotool key --window "$win" ctrl+z
wait_for 30 title_is "*$title" || fail "undo did not mark the document modified"
xdotool key --window "$win" ctrl+shift+z
wait_for 30 title_is "$title" || fail "redo did not come back to the saved state"
# Undo twice more (the typing and the creation), redo the creation only:
# the object is back without its text.
xdotool key --window "$win" ctrl+z ctrl+z ctrl+shift+z
wait_for 30 title_is "*$title" || fail "undo and redo left no modified mark"
wait_for 30 shows undone 603 153 697 297 ink 20 || fail "the re-created object shows no ink"
xdotool key --window "$win" ctrl+s
wait_for 30 title_is "$title" || fail "the second save left the modified mark"
"$host" list "$doc" >"$work/saved2.txt"
grep -q "^$doc: 1 object," "$work/saved2.txt" || fail "second save: $(cat "$work/saved2.txt")"
grep -qF "$default_text" "$work/saved2.txt" || fail "second save: want $default_text, got $(grep UnicodeText "$work/saved2.txt")"

# Whole objects: a click selects, ctrl+D duplicates 16 pixels (256 ms)
# later, Delete removes the duplicate (selected), ctrl+A ctrl+C ctrl+V pastes
# a copy; each saved and counted.
saved_count() {
  xdotool key --window "$win" ctrl+s
  wait_for 30 title_is "$title" || fail "save after $1"
  "$host" list "$doc" >"$work/$1.txt"
  grep -c '^#' "$work/$1.txt"
}
xdotool mousemove --window "$win" 650 225 click 1
xdotool key --window "$win" ctrl+d
[ "$(saved_count duplicate)" = 2 ] || fail "ctrl+D: $(cat "$work/duplicate.txt")"
grep -q "^#1 Talvane  frame (9344;$fy1;10944;$fy2)" "$work/duplicate.txt" \
  || fail "the duplicate's frame: $(grep '^#1' "$work/duplicate.txt")"
xdotool key --window "$win" Delete
[ "$(saved_count delete)" = 1 ] || fail "Delete: $(cat "$work/delete.txt")"
grep -q "^#0 Talvane  frame (9088;" "$work/delete.txt" || fail "Delete took the original"
xdotool key --window "$win" ctrl+a ctrl+c ctrl+v
[ "$(saved_count paste)" = 2 ] || fail "ctrl+V: $(cat "$work/paste.txt")"

# Quitting with unsaved changes asks: Escape cancels (the studio stays),
# Return saves and quits.
xdotool key --window "$win" ctrl+d
wait_for 30 title_is "*$title" || fail "ctrl+D left no modified mark"
# The question's window: the studio's other visible window with a size.
question() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    [ "$w" != "$win" ] && [ "$(xwininfo -id "$w" | awk '/Width:/ {print $2}')" -gt 100 ] && { echo "$w"; return 0; }
  done
  return 1
}
has_question() { question >/dev/null; }
no_question() { ! question >/dev/null; }
# Keys go to the window that has the keyboard focus; without a window
# manager nobody hands it over, so the test does.
answer() {
  local w
  w="$(question)"
  xdotool windowfocus "$w"
  sleep 0.2
  xdotool key --window "$w" "$1" 2>/dev/null || true
}
xdotool key --window "$win" ctrl+q
xdotool keyup ctrl q
wait_for 30 has_question || fail "quitting with changes did not ask"
answer Escape
wait_for 30 no_question || fail "Cancel left the question open"
kill -0 "$pid" 2>/dev/null || fail "Cancel quit the studio"
title_is "*$title" || fail "Cancel lost the modified mark"
xdotool windowfocus "$win"
xdotool key --window "$win" ctrl+q
xdotool keyup ctrl q
wait_for 30 has_question || fail "the second quit did not ask"
# The window is gone before the keys are released: xdotool complains.
answer Return
wait_for 20 bash -c "! kill -0 $pid 2>/dev/null" || fail "ctrl+Q did not end the studio"
wait "$pid" || fail "the studio exited with status $?"
pid=""
"$host" list "$doc" >"$work/quit.txt"
[ "$(grep -c '^#' "$work/quit.txt")" = 3 ] || fail "Save on quitting: $(cat "$work/quit.txt")"
no_errors_logged
# The document keeps its recording beside it by name (rcrd chunk).
grep -aq 'rcrd.*take\.wav' "$doc" || fail "the saved document does not name its recording"

# Reopened, the document brings its objects and its recording back: the
# title names both, the waveform shows where the recording is loud, the
# objects' ink where they were drawn (the original at 600 to 700, the paste
# and the duplicate 16 and 32 pixels later); the reference host lists them.
cd "$work"
start_studio -- "$doc"
wait_for 30 title_is "$title" || fail "reopened: title \"$(xdotool getwindowname "$win")\""
wait_for 60 wave_ready || fail "the reopened document's recording shows no waveform"
wait_for 30 shows reopened 603 153 697 297 ink 20 || fail "the reopened objects show no ink"
[ "$(count reopened 760 60 1000 440 ink)" = 0 ] || fail "reopened: ink right of the objects"
"$host" list "$doc" >"$work/reopened.txt"
[ "$(grep -c '^#' "$work/reopened.txt")" = 3 ] || fail "reopened: $(cat "$work/reopened.txt")"

# Export from the window: ctrl+E asks for a name (typed into the chooser,
# which opens in the studio's folder: no path to complete); the picture is
# the view as shown, without the selection.
export_to() {
  xdotool windowfocus "$win"
  xdotool key --window "$win" ctrl+e
  xdotool keyup ctrl e
  wait_for 30 has_question || fail "ctrl+E opened no chooser"
  # The chooser's name field takes a whole path, typed over its suggestion
  # once the chooser has settled (slow under the leak checker): keys sent
  # before are lost, so the path is typed again while nothing is written.
  # The chooser's first window may be replaced while it is being made up:
  # its window is looked up again at each attempt, and a key sent to one
  # that went away is only a lost attempt.
  local attempt w
  for attempt in 1 2 3; do
    sleep 2
    w="$(question)" || continue
    xdotool windowfocus --sync "$w" 2>/dev/null || continue
    sleep 1
    # Real key events (XTEST) to the window with the keyboard focus: the
    # chooser's name field misses some of the events sent to its window.
    {
      xdotool key End
      xdotool key --repeat 120 BackSpace
      xdotool type --delay 20 "$(basename "$1")"
      sleep 1
      import -window root "$shots/export-chooser.png"
      xdotool key Return
    } 2>/dev/null || continue
    wait_for 15 test -s "$1" && break
  done
  wait_for 30 test -s "$1" || fail "exporting wrote no $1: $(tail -n 3 "$work/studio.log")"
  wait_for 30 no_question || fail "the chooser stayed open after exporting $1"
}
export_to "$work/score.png"
size="$(identify -format '%w %h' "$work/score.png")"
read -r pw ph <<<"$size"
[ "$pw" -ge 1000 ] && [ "$ph" -ge 300 ] || fail "exported picture size $size"
convert "$work/score.png" -depth 8 "rgb:$work/exported.rgb"
cp "$work/score.png" "$shots/exported.png"
# count reads $work/NAME.rgb beside $shots/NAME.png.
[ "$(count exported 603 40 697 $((ph - 1)) ink)" -ge 20 ] || fail "no ink where the objects are in the PNG"
[ "$(count exported 760 40 1000 $((ph - 1)) ink)" = 0 ] || fail "ink right of the objects in the PNG"
[ "$(count exported $((loud_from + 4)) 40 $((loud_from + 4)) $((ph - 1)) wave)" -gt 0 ] \
  || fail "no waveform in the PNG"
export_to "$work/score.svg"
/usr/bin/python3 -c 'import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); sys.exit(0 if r.tag.endswith("svg") and len(list(r.iter())) > 10 else 1)' \
  "$work/score.svg" || fail "the SVG is not a drawing: $(head -c 200 "$work/score.svg")"
export_to "$work/score.pdf"
file "$work/score.pdf" | grep -q 'PDF document' || fail "the PDF: $(file "$work/score.pdf")"
tail -c 64 "$work/score.pdf" | grep -q '%%EOF' || fail "the PDF is cut short"
quit_studio
no_errors_logged

# French from the environment: the title of a new document and the menus
# (F10 opens the first, "Fichier": the screenshot french-menu.png shows it,
# its items drawn below the menu bar where the score was white).
start_studio LANGUAGE= LC_ALL= LC_MESSAGES= LANG=fr_FR.UTF-8 --
wait_for 30 title_is "Sans titre - Talvane Studio" \
  || fail "French: title \"$(xdotool getwindowname "$win")\""
# Menus are windows of their own: the screen's corner holds the window.
screen_shot() {
  import -window root -crop 1100x520+0+0 +repage "$shots/$1.png"
  convert "$shots/$1.png" -depth 8 "rgb:$work/$1.rgb"
}
# The window drawn (the score's white where the menu will open), menu closed.
drawn() {
  screen_shot french-closed &&
    [ "$(convert "$shots/french-closed.png" -format '%[hex:u.p{100,100}]' info:)" = FFFFFF ]
}
wait_for 30 drawn || fail "the French window was not drawn"
xdotool key --window "$win" F10
menu_open() {
  screen_shot french-menu &&
    [ "$(count french-menu 10 40 150 120 ink)" -gt "$(count french-closed 10 40 150 120 ink)" ]
}
wait_for 30 menu_open || fail "F10 opened no menu"
# The open menu takes the keys: Escape closes it (the score shows again
# where it was) before ctrl+Q can reach the window.
menu_closed() {
  xdotool key Escape 2>/dev/null || true
  sleep 0.5
  screen_shot french-after &&
    [ "$(count french-after 10 40 150 120 ink)" = "$(count french-closed 10 40 150 120 ink)" ]
}
wait_for 30 menu_closed || fail "Escape left the menu open"
quit_studio
# A damaged document is shown as an empty, untitled one and never written
# over: ctrl+S asks for a path instead (the chooser is cancelled).
printf 'not a document' >"$work/damaged.tlv"
start_studio ASAN_OPTIONS=detect_leaks=0 -- "$work/damaged.tlv"
wait_for 30 title_is "Untitled - Talvane Studio" || fail "damaged document: title \"$(xdotool getwindowname "$win")\""
xdotool key --window "$win" ctrl+s
sleep 1
xdotool key Escape
sleep 0.5
[ "$(cat "$work/damaged.tlv")" = "not a document" ] || fail "the damaged document was written over"
grep -q "Error -705" "$work/studio.log" || fail "no status for the damaged document"
kill "$pid"
wait "$pid" || true
pid=""

# --export writes the score without a window.
ASAN_OPTIONS="detect_leaks=1" "$studio" --export "$work/score.png" "$doc" "$recording" \
  || fail "--export failed"
[ "$(identify -format '%wx%h' "$work/score.png")" = 1600x400 ] || fail "--export picture size"

echo "studio window: all checks passed"
