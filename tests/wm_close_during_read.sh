#!/bin/bash
# The built VeskEprom under a real window manager (openbox on Xvfb): a close
# asked for through the window manager while a read runs is dropped, the
# program stays open and takes commands again once the read has ended; the
# same close, asked for when idle, ends the program.
#
# Usage: wm_close_during_read.sh PATH/TO/VeskEprom
# Exit status: 0 passed, 1 failed, 77 skipped (Xvfb or openbox cannot start).
set -u

veskeprom=$(realpath "${1:?usage: $0 PATH/TO/VeskEprom}")
readonly veskeprom
# Each board access of the simulated read takes this long: a 2732 needs about
# 12,300 of them, so the read lasts at least 12 seconds on any machine.
readonly latency_us=1000
readonly patience=90  # seconds for anything to happen on a loaded machine

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
for tool in xdotool wmctrl; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
[ -x "$veskeprom" ] || fail "no program at $veskeprom"

# Xvfb picks a free display and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
poll 30 grep -qx '[0-9]\+' "$work/display" ||
  skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
openbox_running() { wmctrl -m | grep -q '^Name: Openbox'; }
poll 30 openbox_running || skip "openbox did not start: $(tail -n 3 "$work/openbox.log")"

cd "$work" || fail "cannot enter $work"
"$veskeprom" --simulate="$work/chip.bin" --simulate-latency="$latency_us" \
  >"$work/veskeprom.log" 2>&1 &
vesk=$!
pids+=("$vesk")
while_doing="before the close was asked for"

alive() { kill -0 "$vesk" 2>/dev/null; }
# The id of the only visible window whose title starts with $1.
window_of() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1; }
shown() { [ -n "$(window_of "$1")" ]; }
gone() { ! shown "$1"; }
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

poll "$patience" shown "Vesk Eprom Programmer" || fail "the main window did not appear"
main=$(window_of "Vesk Eprom Programmer")
poll "$patience" xdotool windowactivate "$main" || fail "openbox did not activate the window"
poll "$patience" active "$main" || fail "the main window did not get the focus"

# Action menu, Read Eprom; keys that arrive before the menu is up are tried again.
asked=0
until shown "Will Read Eprom"; do
  [ "$asked" -ge 10 ] && fail "the Read command's confirmation box did not appear"
  xdotool key --clearmodifiers Escape alt+a r
  asked=$((asked + 1))
  poll 5 shown "Will Read Eprom"
done
box=$(window_of "Will Read Eprom")
xdotool windowactivate "$box" 2>/dev/null
poll 10 active "$box"
xdotool key --clearmodifiers Return
poll "$patience" gone "Will Read Eprom" || fail "the confirmation box did not close"
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
  [ $((SECONDS - read_started)) -lt $((patience + 60)) ] ||
    fail "VeskEprom took no command after the read"
  xdotool key --clearmodifiers Escape alt+h a
  poll 2 shown "About"
done
[ $((SECONDS - read_started)) -ge 10 ] ||
  fail "the read ended after $((SECONDS - read_started)) s, before it could have"
about=$(window_of "About")
while_doing="after the read"
xdotool windowactivate "$about" 2>/dev/null
poll 10 active "$about"
xdotool key --clearmodifiers Return
poll "$patience" gone "About" || fail "the About box did not close"
alive || fail "VeskEprom ended after the read"
shown "Vesk Eprom Programmer" || fail "the main window is gone after the read"

# Idle, the same request ends the program: the close did reach it.
wmctrl -i -c "$main" || fail "wmctrl could not ask for the close"
ending=$vesk
vesk=""
poll "$patience" sh -c "! kill -0 $ending" || fail "VeskEprom did not end on a close when idle"
wait "$ending"
status=$?
[ "$status" -eq 0 ] || fail "VeskEprom ended with status $status"
echo "passed: the close asked for during the read was dropped, the one asked for when idle ended VeskEprom"
