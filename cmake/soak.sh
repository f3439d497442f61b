#!/usr/bin/env bash
# The long run: plays a looping variant of the bundled show (its script made
# by make_script --loop: "restart" first, "stopsound" at the end instead of
# "stopdemo") under Wine on a private display for SOAK_MINUTES (60), then
# asks the player to quit. Each minute it samples the player's own figures
# (heap blocks and bytes from its counting allocator, live Direct3D
# resources; the player writes them, NIGHTLOOM_STATS) and the process's
# resident memory, into build/soak/soak.tsv, drawn as build/soak/soak.png.
# The verdict (cmake/soak_judge.sh) is on the player's own figures at the end
# of each loop; resident memory is shown, not judged (Xvfb and Mesa grow it
# by themselves). A message box fails the run too.
#   cmake/soak.sh WINDOWS_BUILD_DIR SHOW_DIR NATIVE_BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
show=$(cd "$2" && pwd)
native=$(cd "$3" && pwd)
minutes=${SOAK_MINUTES:-60}
run="$build/wine-run.sh"
root=$(dirname "$build")
work="$root/soak"

rm -rf "$work"
mkdir -p "$work/content" "$work/show"
cp -r "$show/content/." "$work/content/"
mp3=""
[ -f "$work/content/music.mp3" ] && mp3=--mp3
"$native/demo/make_script" "$work/content/scene.scr" $mp3 --loop || exit 1
"$native/tools/nltool" pack "$work/show/moonwell.sar" "$work/content" >/dev/null || exit 1
cp "$build/show/nightloom.exe" "$build/show/tmz.dll" "$work/show/"

# Its own prefix, display and wineserver: programs started beside it in the
# build tree's prefix would take the focus, and the full-screen player would
# lose its device.
export NL_WINE_STATE="$root/soak-wine"
export DISPLAY=
"$run" --start >/dev/null || exit 1
echo "soak: playing the looping show for $minutes minutes"
quit_ms=$((minutes * 60000))
NIGHTLOOM_STATS="Z:$work/player.tsv" NIGHTLOOM_STATS_SECONDS=60 \
  "$run" "$build/bin/nlrun.exe" --quit-after "$quit_ms" $((quit_ms + 120000)) \
  "$work/show/nightloom.exe" >"$work/nlrun.log" 2>&1 &
runner=$!

printf 'minute\trss_kb\n' >"$work/rss.tsv"
for ((m = 1; m <= minutes; m++)); do
  for _ in $(seq 1 60); do
    kill -0 "$runner" 2>/dev/null || break 2
    sleep 1
  done
  # This soak's own player (other Wine programs may run beside it).
  pid=""
  for p in $(pgrep -x nightloom.exe); do
    tr '\0\\' ' /' <"/proc/$p/cmdline" 2>/dev/null | grep -q "soak/show/nightloom.exe" && pid=$p
  done
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
  printf '%d\t%s\n' "$m" "${rss:-0}" >>"$work/rss.tsv"
  printf '\rsoak: minute %d of %d, resident %s kB   ' "$m" "$minutes" "${rss:-?}"
done
echo
wait "$runner"
status=$?
"$run" --stop >/dev/null
grep -h "box\|message" "$work/nlrun.log" | head -n 5

# One table: the player's figures each minute beside the resident memory.
awk -F'\t' 'NR == FNR { if (FNR > 1) rss[$1] = $2; next }
  FNR == 1 { print "minute\tdemo_time\theap_blocks\theap_bytes\td3d_resources\trss_kb"; next }
  $1 == "time" { m = int($2 / 60 + 0.5); printf "%d\t%s\t%s\t%s\t%s\t%s\n", m, $3, $4, $5, $6, (m in rss) ? rss[m] : "" }' \
  "$work/rss.tsv" "$work/player.tsv" >"$work/soak.tsv"

# The plot: heap bytes, Direct3D resources and resident memory by minute.
plot() { # COLUMN LABEL FILE
  awk -F'\t' -v c="$1" 'BEGIN { n = 0 } NR > 1 && $c != "" { x[n] = $1; y[n] = $c; n++ }
    END {
      if (n == 0) { print ""; print "no samples"; exit }
      lo = y[0]; hi = y[0]; for (i = 0; i < n; i++) { if (y[i] < lo) lo = y[i]; if (y[i] > hi) hi = y[i] }
      if (hi == lo) hi = lo + 1; xmax = x[n - 1]; if (xmax < 1) xmax = 1
      printf "-draw \"polyline"
      for (i = 0; i < n; i++) printf " %.1f,%.1f", 40 + 540 * x[i] / xmax, 130 - 100 * (y[i] - lo) / (hi - lo)
      printf "\"\n%s to %s\n", lo, hi
    }' "$work/soak.tsv" >"$work/draw.txt"
  local polyline range
  polyline=$(head -n 1 "$work/draw.txt")
  range=$(tail -n 1 "$work/draw.txt")
  eval convert -size 600x160 xc:white -fill none -stroke black "$polyline" -stroke none \
    -fill black -font DejaVu-Sans -pointsize 12 -annotate +40+18 "\"$2\"" \
    -annotate +40+152 "\"$range\"" "$3"
}
plot 4 "player heap bytes by minute" "$work/heap.png" &&
  plot 5 "live Direct3D resources by minute" "$work/resources.png" &&
  plot 6 "resident kB by minute (not judged)" "$work/rss.png" &&
  convert "$work/heap.png" "$work/resources.png" "$work/rss.png" -append "$work/soak.png" &&
  echo "soak: $work/soak.tsv, $work/soak.png"

bash "$(dirname "$0")/soak_judge.sh" "$work/player.tsv"
verdict=$?
if [ "$status" -ne 0 ]; then
  echo "soak: FAILED: the player did not end cleanly (nlrun status $status; 3 is a message box)"
  exit 1
fi
exit $verdict
