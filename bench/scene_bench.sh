#!/usr/bin/env bash
# A scene play-through under Wine at 800 x 600 (the player's own full-screen
# mode on the private display): the shared QuickDraw scene, loaded through a
# metascript and played for SECONDS to the bundled show's music, then the
# bundled show itself, then the show's hall and sparks scenes alone for
# SECONDS, then its dawn flight past the relic with and without the relic's
# progressive mesh, then its forge and its storm alone for SECONDS. For each it prints the median and 5th-percentile frame rate from
# Wine's own counter (WINEDEBUG=fps, one figure a second, the first two
# seconds left out), the time to the first 3D frame, and the player's
# profiler sections with the share of a frame spent outside the Direct3D
# calls they time.
#   bench/scene_bench.sh WINDOWS_BUILD_DIR SHOW_DIR TESTDATA_DIR [SECONDS]
set -uo pipefail
build=$(cd "$1" && pwd)
show=$(cd "$2" && pwd)
testdata=$(cd "$3" && pwd)
seconds=${4:-20}
run="$build/wine-run.sh"
work="$build/scene-bench"

# The player's folder is the scene's own, so the scene finds its objects
# ("../LWO/...") and the objects their picture where they name it.
rm -rf "$work"
mkdir -p "$work"
cp -r "$testdata/lws/quickdraw/LWS" "$testdata/lws/quickdraw/LWO" "$work/"
play="$work/LWS"
mkdir -p "$play/Images/Reflections"
cp "$testdata/lws/quickdraw/LWO/LWO2/LWSReferences/MTL_ChromeUniversal.JPG" "$play/Images/Reflections/"
cp "$build/show/nightloom.exe" "$build/show/tmz.dll" "$play/"
cp "$show/content/loading.jpg" "$show/content/sglow.jpg" "$show/content/music.mod" "$play/"
printf '"QuickDraw v.2.2.lws"\n' >"$play/quickdraw.txt"
cat >"$play/scene.scr" <<EOF
0.000 playmod music.mod
0 loadmetascript quickdraw.txt
0 activemeta quickdraw
0 start QuickDraw
0 clear QuickDraw 3 0xff203040
$seconds.000 stopdemo
EOF

"$run" --start >/dev/null || exit 1

# One play-through of the program in FOLDER; prints the figures as NAME.
measure() {
  local name=$1 folder=$2 timeout_ms=$3
  local log="$folder/diagnostic.log" fps="$folder/fps.txt"
  rm -f "$log"
  (cd "$folder" && WINEDEBUG=fps NIGHTLOOM_LOG="Z:$log" \
    "$run" "$build/bin/nlrun.exe" "$timeout_ms" "$folder/nightloom.exe" 2>"$fps" >/dev/null)
  local status=$?
  echo "== $name (800 x 600 under Wine) =="
  [ $status -eq 0 ] || echo "   the program did not end cleanly (nlrun status $status)"
  grep -o 'approx [0-9.]*fps' "$fps" | grep -o '[0-9.]*' | tail -n +3 | sort -g | awk '
    { v[NR] = $1 }
    END {
      if (NR == 0) { print "   no frame-rate figures from Wine"; exit }
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      p = v[int(NR * 0.05) + 1]
      printf "   frames per second: median %.1f, 5th percentile %.1f (%d one-second figures)\n", m, p, NR
    }'
  grep -h "first 3D frame" "$log" 2>/dev/null | sed 's/^/   /' || true
  # Profiler sections (counter ticks): the player's share of the rendering
  # is the scene-drawing time less the sections it times (clear, state
  # setting, sources, draws, software-processing switches), over the drawing
  # and presenting together. State setting holds both the player's plans and
  # their device calls, so it is given on its own: the player's whole share
  # is at most the sum of the two figures.
  awk '
    /Profiling report/ { on = 1; next }
    on && /:/ {
      split($0, a, ":"); name = a[1]; gsub(/^ +| +$/, "", name)
      split(a[2], f, " "); total[name] = f[2]; execs[name] = f[1]
    }
    END {
      r = total["CompleteRenderTime"]; p = total["Present"]
      if (r == "" || r + p == 0) { print "   no profiler report"; exit }
      d = total["Clear"] + total["setStates"] + total["SetSources"] + total["DrawIndexedPrimitive"] + total["svp switch"]
      printf "   passes %d, presents %d; ticks: render %.3g (of which timed sections %.3g), present %.3g\n", execs["CompleteRenderTime"], execs["Present"], r, d, p
      printf "   player share of drawing and presenting: %.1f %% (scene evaluation, culling, constants, unmeasured device calls)\n", 100 * (r - d) / (r + p)
      printf "   state setting (plans of the player and their device calls): %.1f %%\n", 100 * total["setStates"] / (r + p)
    }' "$log"
}

measure "QuickDraw scene, ${seconds} s" "$play" $(((seconds + 60) * 1000))
mkdir -p "$work/show"
cp "$build/show/nightloom.exe" "$build/show/tmz.dll" "$build/show/moonwell.sar" "$work/show/"
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "bundled show" "$work/show" 240000
# The show's hall alone (a shadow map, a mirror and a chrome ball's six cube
# faces a frame): the show's files unpacked, with a script of its own.
mkdir -p "$work/hall"
cp "$build/show/nightloom.exe" "$build/show/tmz.dll" "$show/content/"* "$work/hall/"
cat >"$work/hall/scene.scr" <<EOF
0.000 playmod music.mod
0 loadmetascript hall.txt
0 activemeta hall
0 start hall
0 clear hall 3 0xff180e24
$seconds.000 stopdemo
EOF
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's hall, ${seconds} s" "$work/hall" $(((seconds + 60) * 1000))
# The show's sparks alone (up to thousands of particle sprites, three lens
# flares), from the same files.
sed -e 's/hall/sparks/g' -e 's/0xff180e24/0xff060812/' "$work/hall/scene.scr" >"$work/hall/sparks.scr"
mv "$work/hall/sparks.scr" "$work/hall/scene.scr"
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's sparks, ${seconds} s" "$work/hall" $(((seconds + 60) * 1000))
# The show's dawn flight, which meets the relic (38 400 triangles) near and
# far: once as the show has it, a progressive mesh, and once drawn whole
# (its ".pm" file taken away), to show what the lower levels save.
cat >"$work/hall/scene.scr" <<EOF
0.000 playmod music.mod
0 loadmetascript dawn.txt
0 activemeta dawn
0 start dawn
0 clear dawn 3 0xffe6a070
7.680 cam dawn 1
7.680 setpos dawn 12000
15.360 stopdemo
EOF
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's dawn with the relic as a progressive mesh" "$work/hall" 90000
rm -f "$work/hall/relic.lwo.1.pm"
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's dawn with the relic drawn whole" "$work/hall" 90000
# The forge (a wall lit per pixel, five tools) and the storm (two particle
# emitters under five effectors, smoke puffs, 1 500 streaking stars, two eye
# passes) alone, each under its own tune.
act() {
  cat >"$work/hall/scene.scr" <<EOF
0.000 $3
0 loadmetascript $1.txt
0 activemeta $1
0 start $1
0 clear $1 3 $2
$seconds.000 stopdemo
EOF
}
act forge 0xff100806 "playxm forge.xm"
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's forge, ${seconds} s" "$work/hall" $(((seconds + 60) * 1000))
act storm 0xff04060c "playit storm.it"
[ -n "${SCENE_BENCH_ONLY:-}" ] || measure "the show's storm, ${seconds} s" "$work/hall" $(((seconds + 60) * 1000))
"$run" --stop >/dev/null
