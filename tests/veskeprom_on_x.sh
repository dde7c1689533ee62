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
for tool in xdotool wmctrl cmp; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
[ -x "$veskeprom" ] || fail "no program at $veskeprom"
cd "$work" || fail "cannot enter $work"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# An X server (Xvfb picks a free display and writes its number once it takes
# clients) with openbox on it; $xvfb is its process.
start_display() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
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
  launch-options) launch_options ;;
  *) fail "no scenario $scenario" ;;
esac
