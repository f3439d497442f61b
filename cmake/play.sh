#!/usr/bin/env bash
# Plays the show with nightloom.exe from the windows build tree.
# On a desktop the window opens there (Escape ends it). Without a display the program runs on a
# private Xvfb, and screenshots taken while it plays are put together into
# build/play/contact-sheet.png so that there is something to look at.
#   cmake/play.sh BUILD_DIR
set -uo pipefail
build=$1
run="$build/wine-run.sh"
# Until the bundled show exists, the small test show (script, tune and the
# start-up pictures beside the program) is what plays.
program="$build/e2e-show/nightloom.exe"
out="$(dirname "$build")/play"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$run" "$program"
  exit $?
fi

# A private display: an explicit empty DISPLAY makes the runner start Xvfb.
export DISPLAY=
"$run" --start || exit 1
display=$(cat "$build/wine/current.display")
rm -rf "$out"
mkdir -p "$out"
start=$(date +%s.%N)
# Until the show ends by itself, the unattended run is closed after a few
# seconds, as a person would close it.
"$run" "$build/bin/nlrun.exe" --quit-after "${PLAY_SECONDS:-5}000" 120000 "$program" &
pid=$!
shots=()
i=0
while kill -0 "$pid" 2>/dev/null; do
  sleep 0.5
  t=$(awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }')
  f=$(printf '%s/frame-%03d.png' "$out" "$i")
  if DISPLAY="$display" import -window root "$f" 2>/dev/null; then
    shots+=(-label "${t} s" "$f")
    i=$((i + 1))
  fi
done
wait "$pid"
status=$?
"$run" --stop
if ((${#shots[@]})); then
  montage -font DejaVu-Sans "${shots[@]}" -tile 4x -geometry 200x150+4+4 \
    "$out/contact-sheet.png" 2>/dev/null ||
    montage "$out"/frame-*.png -tile 4x -geometry 200x150+4+4 "$out/contact-sheet.png"
  echo "play: exit code $status; contact sheet: $out/contact-sheet.png"
else
  echo "play: exit code $status; no frames captured"
fi
exit $status
