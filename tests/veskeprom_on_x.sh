#!/bin/bash
# The built VeskEprom under a real window manager (openbox on Xvfb), driven
# with xdotool as a user drives it. SCENARIO is one of:
#   close-during-read  a close asked for through the window manager while a
#                      read runs is dropped: the program stays open and takes
#                      commands once the read has ended; the same close, asked
#                      for when idle, ends the program;
#   run-endings        a programming run is in the simulated chip's file as
#                      soon as it ends, while the program still runs; a run
#                      ended by Ctrl+C or by a display that goes away stops
#                      between two locations and the file keeps every location
#                      programmed before the stop, and nothing after it;
#   window-size        the main window is 643 x 500 pixels outside, frame and
#                      title bar included, and 643 x 450 on a screen narrower
#                      than 800 pixels;
#   options-centred    the Options window's frame is centred on the screen;
#   dialogs-keep-nothing  the file dialogs neither write the user's Qt
#                      settings nor read them: a settings file of an earlier
#                      program is neither changed nor read, none is made, and
#                      a dialog starts in the current folder;
#   conversion-report  File Conversion with the built zeza: "Conversion Done !"
#                      only once zeza has ended and made a file, otherwise a
#                      box saying that nothing was converted; the window
#                      takes commands while zeza waits in a box of its own;
#   launch-options     SIGINT, SIGTERM and SIGHUP end the program while the
#                      box that refuses a chip file at start is up; the
#                      simulated chip's faults (--simulate-faults) reach the
#                      simulator.
#
# Usage: veskeprom_on_x.sh SCENARIO PATH/TO/VeskEprom
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or openbox cannot start).
set -u

scenario=${1:?usage: $0 SCENARIO PATH/TO/VeskEprom}
veskeprom=$(realpath "${2:?usage: $0 SCENARIO PATH/TO/VeskEprom}")
readonly scenario veskeprom
readonly patience=90  # seconds for anything to happen on a loaded machine
readonly chip_size=1048576
readonly type_size=4096  # the start-up type, a 2732: a write programs 4096 bytes of 00

fail() {
  echo "FAILED: $*" >&2
  [ -s "$work/veskeprom.log" ] && sed 's/^/  VeskEprom: /' "$work/veskeprom.log" >&2
  exit 1
}
skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}

# Runs "$@" every fifth of a second until it succeeds; false after `seconds`.
# Once VeskEprom runs, its end stops the wait: the test has failed then.
vesk=""
while_doing=""
poll() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ -n "$vesk" ] && ! kill -0 "$vesk" 2>/dev/null && fail "VeskEprom ended ${while_doing}"
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || skip "$tool is not installed, so no window manager can run"
done
for tool in xdotool wmctrl xwininfo xprop cmp; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
[ -x "$veskeprom" ] || fail "no program at $veskeprom"
cd "$work" || fail "cannot enter $work"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# An X server (Xvfb picks a free display and writes its number once it takes
# clients) with openbox on it, its screen $1 (1024x768 unless given); $xvfb
# is its process.
start_display() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  pids+=("$xvfb")
  poll "$patience" grep -qx '[0-9]\+' "$work/display" ||
    skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  poll "$patience" openbox_running || skip "openbox did not start: $(tail -n 3 "$work/openbox.log")"
}
openbox_running() { wmctrl -m | grep -q '^Name: Openbox'; }

# The id of the only visible window whose title starts with $1.
window_of() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1; }
shown() { [ -n "$(window_of "$1")" ]; }
gone() { ! shown "$1"; }
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# VeskEprom on the simulated chip in $work/$1 (further arguments its own),
# its main window active; $vesk is its process, $main its window.
start_veskeprom() {
  local chip=$1
  shift
  # A background job of a script starts with Ctrl+C ignored, and VeskEprom
  # keeps what it finds ignored: as from a terminal, it is not.
  env --default-signal=INT "$veskeprom" --simulate="$work/$chip" "$@" >"$work/veskeprom.log" 2>&1 &
  vesk=$!
  pids+=("$vesk")
  poll "$patience" shown "Vesk Eprom Programmer" || fail "the main window did not appear"
  main=$(window_of "Vesk Eprom Programmer")
  poll "$patience" xdotool windowactivate "$main" || fail "openbox did not activate the window"
  poll "$patience" active "$main" || fail "the main window did not get the focus"
}

# Menu keys $1 (keys that arrive before the menu is up are sent again), then
# OK on the box whose title starts with $2.
command_confirmed() {
  local asked=0
  until shown "$2"; do
    [ "$asked" -ge 10 ] && fail "the box \"$2\" did not appear"
    xdotool key --clearmodifiers Escape $1
    asked=$((asked + 1))
    poll 5 shown "$2"
  done
  local box
  box=$(window_of "$2")
  xdotool windowactivate "$box" 2>/dev/null
  poll 10 active "$box"
  xdotool key --clearmodifiers Return
  poll "$patience" gone "$2" || fail "the box \"$2\" did not close"
}

# How many locations from the first of chip file $1 hold 00h; fails unless
# every location after them is still blank (FFh): what a run that stopped leaves.
programmed_prefix() {
  local file=$1 differ prefix
  [ "$(stat -c %s "$file")" -eq "$chip_size" ] || fail "$file does not hold a whole chip"
  differ=$(cmp "$file" /dev/zero 2>/dev/null | grep -o 'byte [0-9]*' | cut -d' ' -f2)
  prefix=$((${differ:-$((chip_size + 1))} - 1))
  head -c $((chip_size - prefix)) /dev/zero | tr '\0' '\377' | cmp -s - <(tail -c +$((prefix + 1)) "$file") ||
    fail "$file holds more than a clean prefix of $prefix programmed locations"
  echo "$prefix"
}
whole_run_in_file() { [ "$(programmed_prefix "$work/$1")" -eq "$type_size" ]; }

# The end of VeskEprom, with status $1.
expect_end() {
  local ending=$vesk status
  vesk=""
  poll "$patience" sh -c "! kill -0 $ending" || fail "VeskEprom did not end ($2)"
  wait "$ending"
  status=$?
  [ "$status" -eq "$1" ] || fail "VeskEprom ended with status $status, not $1 ($2)"
}

close_during_read() {
  start_display
  # Each board access of the simulated read takes 1 ms: a 2732 needs about
  # 12,300 of them, so the read lasts at least 12 seconds on any machine.
  start_veskeprom chip.bin --simulate-latency=1000
  while_doing="before the close was asked for"
  command_confirmed "alt+a r" "Will Read Eprom"
  read_started=$SECONDS
  # The read runs: ask openbox to close the main window, by its close message
  # and by its Alt+F4 key.
  wmctrl -i -c "$main" || fail "wmctrl could not ask for the close"
  xdotool windowactivate "$main" 2>/dev/null
  xdotool key --clearmodifiers alt+F4
  asked_within=$((SECONDS - read_started))
  [ "$asked_within" -lt 8 ] ||
    fail "asking for the close took ${asked_within} s, the read may have ended: no verdict"
  # Keys are dropped while the read runs; once it has ended, Help, About opens a box.
  while_doing="when the read ended: the close asked for during the read was carried out"
  until shown "About"; do
    [ $((SECONDS - read_started)) -lt $((patience + 60)) ] || fail "VeskEprom took no command after the read"
    xdotool key --clearmodifiers Escape alt+h a
    poll 2 shown "About"
  done
  [ $((SECONDS - read_started)) -ge 10 ] ||
    fail "the read ended after $((SECONDS - read_started)) s, before it could have"
  while_doing="after the read"
  command_confirmed "" "About"
  shown "Vesk Eprom Programmer" || fail "the main window is gone after the read"
  # Idle, the same request ends the program: the close did reach it.
  wmctrl -i -c "$main" || fail "wmctrl could not ask for the close"
  expect_end 0 "on a close when idle"
  echo "passed: the close asked for during the read was dropped, the one asked for when idle ended VeskEprom"
}

run_endings() {
  start_display
  # Action, Write Eprom: 4096 locations with 1 ms pulses, more than four seconds.
  start_veskeprom whole.bin
  while_doing="during or after its programming run"
  command_confirmed "alt+a w" "Will Write Eprom"
  poll 180 whole_run_in_file whole.bin || fail "the programming run is not in the chip file"
  kill -TERM "$vesk"
  expect_end 143 "on SIGTERM"
  whole_run_in_file whole.bin || fail "the chip file lost the run at the end"

  start_veskeprom ctrl-c.bin
  command_confirmed "alt+a w" "Will Write Eprom"
  sleep 1.5
  kill -INT "$vesk"
  expect_end 130 "on Ctrl+C during a run"
  stopped_at=$(programmed_prefix "$work/ctrl-c.bin")
  [ "$stopped_at" -gt 0 ] && [ "$stopped_at" -lt "$type_size" ] ||
    fail "after Ctrl+C the chip file holds $stopped_at programmed locations, not the part of the run before it"

  start_veskeprom lost-display.bin
  command_confirmed "alt+a w" "Will Write Eprom"
  sleep 1.5
  kill -TERM "$xvfb"
  expect_end 1 "when its display went away during a run"
  stopped_at=$(programmed_prefix "$work/lost-display.bin")
  [ "$stopped_at" -gt 0 ] && [ "$stopped_at" -lt "$type_size" ] ||
    fail "after the display went away the chip file holds $stopped_at programmed locations, not the part of the run before it"
  [ "$(find "$work" -maxdepth 1 -name '.*' -type f | wc -l)" -eq 0 ] || fail "a temporary file was left"
  echo "passed: every programming run is in the chip file, as far as it went"
}

# The outer geometry of window $1 as "WIDTH HEIGHT LEFT TOP", its frame
# included; fails while the window manager has not framed it.
outer_geometry() {
  local extents info width height left top
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
  [ -n "$extents" ] || return 1
  read -r frame_left frame_right frame_top frame_bottom <<<"$extents"
  info=$(xwininfo -id "$1" 2>/dev/null) || return 1
  width=$(sed -n 's/^ *Width: *//p' <<<"$info")
  height=$(sed -n 's/^ *Height: *//p' <<<"$info")
  left=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  top=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  echo "$((width + frame_left + frame_right)) $((height + frame_top + frame_bottom))" \
    "$((left - frame_left)) $((top - frame_top))"
}
outer_size_is() { [ "$(outer_geometry "$1" | cut -d' ' -f1-2)" = "$2 $3" ]; }

window_size() {
  for screen in 1024x768:500 800x600:500 799x600:450; do
    start_display "${screen%:*}"
    start_veskeprom "chip-${screen%:*}.bin"
    while_doing="before it was sized"
    poll 20 outer_size_is "$main" 643 "${screen#*:}" ||
      fail "on a ${screen%:*} screen the window is $(outer_geometry "$main" | cut -d' ' -f1-2) outside, not 643 ${screen#*:}"
    # The size is kept once reached: no later step of the window manager's
    # or the program's undoes it.
    sleep 1
    outer_size_is "$main" 643 "${screen#*:}" ||
      fail "on a ${screen%:*} screen the window became $(outer_geometry "$main" | cut -d' ' -f1-2) outside"
    wmctrl -i -c "$main"
    expect_end 0 "when closed"
  done
  echo "passed: the window is 643 x 500 outside, and 643 x 450 below 800 pixels of screen width"
}

# Whether window $1's frame is centred on the 1024 x 768 screen (to a pixel).
centred() {
  local width height left top
  read -r width height left top <<<"$(outer_geometry "$1")" || return 1
  [ -n "$top" ] || return 1
  local dx=$((left - (1024 - width) / 2)) dy=$((top - (768 - height) / 2))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}

options_centred() {
  start_display
  start_veskeprom chip.bin
  while_doing="while the Options window opened"
  until shown "Options"; do
    [ "${asked:=0}" -ge 10 ] && fail "the Options window did not appear"
    xdotool key --clearmodifiers Escape alt+c o
    asked=$((asked + 1))
    poll 5 shown "Options"
  done
  options=$(window_of "Options")
  poll 20 centred "$options" || fail "the Options window is at $(outer_geometry "$options") (outer width, height, left, top), not centred on the 1024 x 768 screen"
  echo "passed: the Options window's frame is centred on the screen"
}

# Whether reading a file shows in its access time on this file system.
reads_show() {
  local probe=$work/atime-probe
  echo probe >"$probe" && touch -a -d 2000-01-01 "$probe" && cat "$probe" >/dev/null
  [ "$(stat -c %X "$probe")" -gt 946684800 ]
}

# Menu keys $1 in the main window until the window whose title starts with
# $2 is up (none: it is to come up by itself), then the keys $3 in it once it
# has the focus (a file name $4 typed before them when given), and it closes.
in_window() {
  local asked=0 window
  until shown "$2"; do
    [ "$asked" -ge 10 ] && fail "\"$2\" did not appear"
    if [ -n "$1" ]; then
      # The menu keys go to the main window, whatever else is up.
      xdotool windowactivate "$main" 2>/dev/null
      poll 5 active "$main"
      xdotool key --clearmodifiers Escape $1
    fi
    asked=$((asked + 1))
    poll 5 shown "$2"
  done
  window=$(window_of "$2")
  poll "$patience" xdotool windowactivate "$window" || fail "openbox did not activate \"$2\""
  poll "$patience" active "$window" || fail "\"$2\" did not get the focus"
  if [ -n "${4:-}" ]; then
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$4"
  fi
  xdotool key --clearmodifiers $3
  poll "$patience" gone "$2" || fail "\"$2\" did not close"
}

# The window manager's close, asked for again each second until VeskEprom
# ($1) has ended: a close that comes while a command is still ending (its
# dialog gone, the command not yet) is dropped, as every close during a
# command is, and a user would ask again.
closed_when_asked() {
  wmctrl -i -c "$main" 2>/dev/null
  sleep 1
  ! kill -0 "$1" 2>/dev/null
}

# Save As with a typed name, then Open cancelled, then the end of the program.
use_both_dialogs() {
  in_window "alt+f s" "Save As" Return typed.bin
  poll 10 test -f "$work/typed.bin" ||
    fail "the dialog did not start in the current folder: typed.bin is not there$(find "$work" -name typed.bin -printf ', but in %h')"
  in_window "alt+f o" "Open" Escape
  local running=$vesk
  vesk=""  # its end is what is waited for here, not a failure
  poll "$patience" closed_when_asked "$running" || fail "VeskEprom did not end (when closed)"
  vesk=$running
  expect_end 0 "when closed"
}

dialogs_keep_nothing() {
  start_display
  mkdir -p "$XDG_CONFIG_HOME" "$work/elsewhere"
  start_veskeprom first.bin
  while_doing="while its dialogs were used"
  use_both_dialogs
  made=$(find "$XDG_CONFIG_HOME" -mindepth 1)
  [ -z "$made" ] || fail "the dialogs wrote settings: $made"

  # Settings another Qt program left: a view, a history and a folder.
  settings=$XDG_CONFIG_HOME/QtProject.conf
  printf '%s\n' '[FileDialog]' "history=file://$work/elsewhere" \
    "lastVisited=file://$work/elsewhere" 'viewMode=Detail' 'qtVersion=6.4.2' >"$settings"
  cp -p "$settings" "$work/settings.before"
  touch -a -d 2000-01-01 "$settings"
  rm -f "$work/typed.bin"
  start_veskeprom second.bin
  use_both_dialogs
  # Its access time first: the comparison reads it.
  if reads_show; then
    [ "$(stat -c %X "$settings")" -eq 946684800 ] || fail "the dialogs read $settings"
  else
    echo "note: this file system keeps no access times; that the settings are not read goes unchecked"
  fi
  cmp -s "$settings" "$work/settings.before" || fail "the dialogs changed $settings"
  [ "$(find "$XDG_CONFIG_HOME" -mindepth 1)" = "$settings" ] || fail "the dialogs wrote settings"
  echo "passed: the file dialogs keep nothing between runs"
}

conversion_report() {
  start_display
  head -c 100 /dev/zero >"$work/x.bin"
  : >"$work/notes.txt"
  printf ':0100000041BE\r\n' >"$work/cut.hex"  # no end record: zeza warns in a box
  start_veskeprom chip.bin
  while_doing="during file conversions"
  in_window "alt+u f" "File Conversion" Return x.bin
  poll "$patience" shown "Conversion Done" || fail "no \"Conversion Done !\" once x.bin was converted"
  [ -f "$work/x.hex" ] || fail "\"Conversion Done !\" was shown, but x.hex is not there"
  in_window "" "Conversion Done" Return

  in_window "alt+u f" "File Conversion" Return notes.txt
  poll "$patience" shown "Nothing converted" || fail "no \"Nothing converted\" for notes.txt"
  shown "Conversion Done" && fail "\"Conversion Done !\" was shown for notes.txt"
  in_window "" "Nothing converted" Return

  # zeza waits in its box: the window takes commands meanwhile and tells
  # nothing until zeza has ended.
  in_window "alt+u f" "File Conversion" Return cut.hex
  poll "$patience" shown "zeza" || fail "zeza's box about cut.hex did not appear"
  in_window "alt+h a" "About" Return
  shown "Conversion Done" && fail "\"Conversion Done !\" was shown while zeza was still running"
  in_window "" "zeza" Return
  poll "$patience" shown "Conversion Done" || fail "no \"Conversion Done !\" once zeza had ended on cut.hex"
  [ "$(cat "$work/cut.bin")" = A ] || fail "cut.bin does not hold the record zeza read"
  in_window "" "Conversion Done" Return
  echo "passed: File Conversion tells what zeza made once zeza has ended, and the window works meanwhile"
}

launch_options() {
  start_display
  mkdir "$work/folder.bin"
  for signal in INT TERM HUP; do
    # A folder as the chip file: refused at start, in a box.
    env --default-signal=INT "$veskeprom" --simulate="$work/folder.bin" >"$work/veskeprom.log" 2>&1 &
    vesk=$!
    pids+=("$vesk")
    while_doing="before its start-up refusal box appeared"
    poll "$patience" shown "VeskEprom" || fail "the start-up refusal box did not appear"
    kill -"$signal" "$vesk"
    expect_end $((128 + $(kill -l "$signal"))) "on SIG$signal while the start-up refusal box was up"
  done
  # An empty socket: the blank check passes, the first location takes no pulse.
  start_veskeprom empty.bin --simulate-faults=no-chip
  while_doing="during a write into an empty socket"
  command_confirmed "alt+a w" "Will Write Eprom"
  poll "$patience" shown "Warning !" || fail "a write into an empty socket did not end in Bad Eprom"
  echo "passed: signals end the start-up refusal, and the simulated chip has the faults asked for"
}

case "$scenario" in
  close-during-read) close_during_read ;;
  run-endings) run_endings ;;
  window-size) window_size ;;
  options-centred) options_centred ;;
  dialogs-keep-nothing) dialogs_keep_nothing ;;
  conversion-report) conversion_report ;;
  launch-options) launch_options ;;
  *) fail "no scenario $scenario" ;;
esac
