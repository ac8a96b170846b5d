# What Talvane Studio's end-to-end scripts share, sourced by each of them
# (studio_window_e2e.sh, studio_panels_e2e.sh, studio_listen_e2e.sh):
#
#   studio_e2e_begin NAME BUILD_DIR [SHOTS_DIR]
#       sets build, studio, host, work (a temporary folder, removed on exit
#       with any studio still running), shots (SHOTS_DIR, else work) and pid;
#   start_studio [VAR=VALUE...] [--] ARGS...
#       starts the studio on ARGS under the leak checker (what fontconfig and
#       GTK keep for the process is left out: studio_window.lsan), its output
#       in $work/studio.log, environment VAR=VALUE added; sets pid and win
#       (fails when no window shows within 60 s);
#   fail MESSAGE         ends the test with MESSAGE and the studio's output;
#   wait_for SECONDS COMMAND...   until COMMAND succeeds (1 when it never did);
#   shot NAME            screenshot of the window: $shots/NAME.png, its RGB
#                        bytes in $work/NAME.rgb;
#   title_is TEXT        the window's title is TEXT;
#   quit_studio          ctrl+Q, then waits for the studio to end cleanly;
#   no_errors_logged     fails when the studio's output reports an error.
studio_e2e_lib_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

studio_e2e_begin() {
  # Absolute: a script may change folders (the studio's chooser opens in
  # its working folder).
  build="$(cd "$2" && pwd)"
  studio="$build/talvane-studio"
  host="$build/talvane-host"
  work="$(mktemp -d "/tmp/$1-XXXXXX")"
  shots="${3:-$work}"
  mkdir -p "$shots"
  shots="$(cd "$shots" && pwd)"
  pid=""
  win=""
  trap studio_e2e_cleanup EXIT
}

studio_e2e_cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" || true; fi
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/studio.log" ] && { echo "--- studio's output:" >&2; cat "$work/studio.log" >&2; }
  exit 1
}

wait_for() {
  local limit=$1
  shift
  local until=$((SECONDS + limit))
  while ! "$@"; do
    [ $SECONDS -ge $until ] && return 1
    sleep 0.1
  done
}

# Telling what GTK keeps from a leak needs whole stacks, which slows
# allocation down (hence the scripts' generous waits).
start_studio() {
  local env=()
  while [ $# -gt 0 ] && [[ "$1" == *=* ]]; do env+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift
  env ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0" \
    LSAN_OPTIONS="suppressions=$studio_e2e_lib_dir/studio_window.lsan" GSK_RENDERER=cairo \
    "${env[@]}" "$studio" "$@" >"$work/studio.log" 2>&1 &
  pid=$!
  win="$(timeout 60 xdotool search --sync --all --onlyvisible --pid "$pid" --name "Talvane Studio" | head -1 || true)"
  [ -n "$win" ] || fail "no studio window"
}

shot() {
  import -window "$win" "$shots/$1.png"
  convert "$shots/$1.png" -depth 8 "rgb:$work/$1.rgb"
}

title_is() { [ "$(xdotool getwindowname "$win")" = "$1" ]; }

quit_studio() {
  # Without a window manager the keyboard focus stays where the test left
  # it (a chooser now closed): the window gets it back first.
  xdotool windowfocus "$win" 2>/dev/null || true
  xdotool key --window "$win" ctrl+q 2>/dev/null || true
  wait_for 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "ctrl+Q did not end the studio"
  wait "$pid" || fail "the studio exited with status $?"
  pid=""
}

no_errors_logged() {
  if grep -E "ERROR|runtime error|Sanitizer|CRITICAL|WARNING" "$work/studio.log"; then
    fail "the studio reported errors"
  fi
}
