#!/usr/bin/env bash
# Plays the bundled show with nightloom.exe from the windows build tree.
# On a desktop the program opens there (Escape ends it). Without a display it
# plays on a private Xvfb to its end; then nightloom-capture renders a frame
# every few seconds of the show and they are put together, with their times,
# into build/play/contact-sheet.png so that there is something to look at.
#   cmake/play.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
run="$build/wine-run.sh"
show="$build/show"
program="$show/nightloom.exe"
out="$(dirname "$build")/play"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$run" "$program"
  exit $?
fi

# A private display: an explicit empty DISPLAY makes the runner start Xvfb.
export DISPLAY=
"$run" --start || exit 1
echo "play: playing the show on a private display (about a minute)"
"$run" "$build/bin/nlrun.exe" 180000 "$program"
status=$?
rm -rf "$out"
mkdir -p "$out/frames"
(cd "$show" && "$run" ./nightloom-capture.exe --fps "${PLAY_SHEET_FPS:-0.25}" \
  --out "Z:$out/frames" --size 400x300) |
  sed 's/^/play: /'
"$run" --stop
shots=()
for f in "$out"/frames/frame_loading.png "$out"/frames/frame_[0-9]*.png; do
  [ -f "$f" ] || continue
  name=$(basename "$f" .png)
  label="loading"
  [ "$name" != frame_loading ] && label="$(awk -v ms="${name#frame_}" 'BEGIN { printf "%.2f s", ms / 1000 }')"
  shots+=(-label "$label" "$f")
done
if ((${#shots[@]})); then
  montage -font DejaVu-Sans "${shots[@]}" -tile 5x -geometry 200x150+4+4 \
    "$out/contact-sheet.png" 2>/dev/null ||
    montage "$out"/frames/*.png -tile 5x -geometry 200x150+4+4 "$out/contact-sheet.png"
  echo "play: exit code $status; contact sheet: $out/contact-sheet.png"
else
  echo "play: exit code $status; no frames captured"
fi
exit $status
