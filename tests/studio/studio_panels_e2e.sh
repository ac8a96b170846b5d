#!/usr/bin/env bash
# End-to-end test of Talvane Studio's side panels and desktop clipboard, run
# on an X display (CTest starts it under xvfb-run). Shows the panels (F9),
# draws an object, types 500 into the inspector's font-size field, begins
# typing into the object and clicks two symbols on the keyboard map, copies
# the symbols to the desktop clipboard (read back with xclip), pastes text
# that xclip put there, ends typing and saves; the saved document is read
# with talvane-host.
#
#   studio_panels_e2e.sh BUILD_DIR [SHOTS_DIR]
set -euo pipefail
source "$(dirname "$0")/studio_e2e_lib.sh"
studio_e2e_begin studio-panels-e2e "$1" "${2:-}"

recording="$work/take.wav"
doc="$work/notes.tlv"
"$build/talvane-studio-recording" "$recording" 10 2000 5000
start_studio -- "$doc" "$recording"
# The waveform's colour (0x5078A0) where the recording is loud (2 s to 5 s,
# 16 ms a pixel from x = 32): the window has settled once it is drawn.
wave_ready() {
  import -window "$win" "$work/wait.png"
  [ "$(convert "$work/wait.png" -format '%[hex:u.p{200,250}]' info:)" = 5078A0 ]
}
wait_for 60 wave_ready || fail "no waveform"

# The window is 1100 pixels wide; with the side area shown the panels take
# its right third: the inspector's title at (732, 30), the font-size field
# at (900, 128), the keyboard map's top-left corner at (732, 285), 24
# pixels a key, so R (4.5 to 5.5 keys from the left, 1 to 2 down) has its
# plain level around (846, 327) and its Shift + level 3 around (858, 315).
# Each step waits for what the window shows, not for a time: the leak
# checker's whole stacks make it slow.
dark_in() {  # dark_in W H X Y: the rectangle of a new screenshot has dark pixels
  import -window "$win" "$work/wait.png"
  [ "$(convert "$work/wait.png" -crop "$1x$2+$3+$4" -colorspace gray -threshold 30% -format '%[fx:mean]' info:)" != 1 ]
}
modified() { case "$(xdotool getwindowname "$win")" in "*"*) return 0 ;; esac; return 1; }

# Draw an object before the side area is shown (F9): the score keeps its
# scale, so the object stays where it was drawn.
xdotool mousemove --window "$win" 100 150 mousedown 1 mousemove --window "$win" 170 220 \
  mousemove --window "$win" 250 300 mouseup 1
wait_for 60 modified || fail "dragging drew no object"
xdotool key --window "$win" F9
# The selected object's panel: the "Font Size" label beside the field.
wait_for 60 dark_in 60 16 732 120 || fail "F9 showed no inspector for the object"

# 500 in the font-size field: the object takes 200, its largest size.
xdotool mousemove --window "$win" 900 128 click 1
xdotool key --window "$win" End BackSpace BackSpace BackSpace
xdotool type --window "$win" 500
xdotool key --window "$win" Return
import -window "$win" "$shots/panels-inspector.png"

# Type into the object (its whole text selected): typing has begun once the
# inspector is greyed out, with no dark pixel left in its title.
typing() { ! dark_in 70 18 732 30; }
for attempt in 1 2 3; do
  xdotool mousemove --window "$win" 175 225 click --repeat 2 --delay 60 1
  wait_for 20 typing && break
done
typing || fail "double-clicking the object did not begin typing"
# Two symbols from the keyboard map.
xdotool mousemove --window "$win" 846 327 click 1
sleep 0.5
xdotool mousemove --window "$win" 858 315 click 1
sleep 0.5
import -window "$win" "$shots/panels-keyboard.png"

# Copy both symbols to the desktop and read them there.
xdotool key --window "$win" ctrl+a ctrl+c
copied() { [ "$(xclip -o -selection clipboard 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "ee809cee809f" ]; }
wait_for 30 copied || fail "the desktop clipboard holds $(xclip -o -selection clipboard | od -An -tx1)"

# Text from another program, pasted after them (Right ends the selection
# at its end). Keys typed while the studio reads the desktop's text would
# go ahead of the paste: give it time before Escape.
printf '\xee\x80\x80' | xclip -i -selection clipboard
sleep 0.5
xdotool key --window "$win" Right ctrl+v
sleep 2
xdotool key --window "$win" Escape
sleep 0.5
xdotool key --window "$win" ctrl+s
wait_for 30 test -f "$doc" || fail "ctrl+S wrote no document"
saved() { "$host" list "$doc" >"$work/saved.txt" 2>/dev/null && grep -q "FontSize = 200" "$work/saved.txt"; }
wait_for 30 saved || fail "font size: $(grep FontSize "$work/saved.txt")"
grep -qF 'UnicodeText = "E01C;E01F;E000"' "$work/saved.txt" \
  || fail "typed text: $(grep UnicodeText "$work/saved.txt")"

quit_studio
echo "panels end to end: passed"
