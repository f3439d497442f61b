#!/usr/bin/env bash
# End to end through real input: starts a program under Wine, waits for its
# "Render Output" window, gives it the keyboard focus and presses Escape on
# the X display; the program must then end by itself with exit code 0.
#   escape_e2e.sh BUILD_DIR PROGRAM.exe
set -u
build=$1
program=$2
display=$(cat "$build/wine/current.display")
"$build/wine-run.sh" "$build/bin/nlrun.exe" 60000 "$program" &
pid=$!
window=""
# A loaded machine can take a while to show the window: up to a minute.
for _ in $(seq 1 300); do
  window=$(DISPLAY=$display xdotool search --name '^Render Output$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "escape_e2e: no Render Output window"
  wait "$pid"
  exit 1
fi
# Focus reaches a Wine window asynchronously and DirectInput only reads once
# it is acquired on activation: like a person, press again until it ends.
for _ in $(seq 1 20); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || break
  DISPLAY=$display xdotool windowfocus "$window" 2>/dev/null
  sleep 0.3
  DISPLAY=$display xdotool key Escape
done
wait "$pid"
status=$?
echo "escape_e2e: exit code $status"
exit $status
