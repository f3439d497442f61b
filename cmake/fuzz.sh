#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz tree for SECONDS each, keeping the
# corpora under build/fuzz/corpus so that later runs start where this one ended.
#   cmake/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=${2:-60}
status=0
while read -r name; do
  [ -n "$name" ] || continue
  corpus="$build/corpus/$name"
  seeds="$(dirname "$0")/../fuzz/seeds/$name"
  mkdir -p "$corpus" "$build/crashes"
  # New inputs go to the first directory: the corpus, which nothing here clears.
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  # The picture decoders start from the shared test pictures (read, not copied).
  testdata="$(dirname "$0")/../../shared/testdata/images"
  case "$name" in
    picture_bmp_fuzz) dirs+=("$testdata/bmp") ;;
    picture_jpg_fuzz) dirs+=("$testdata/jpeg") ;;
    picture_tga_fuzz) dirs+=("$testdata/tga") ;;
    picture_pcx_fuzz) dirs+=("$testdata/pcx") ;;
    lws_fuzz) dirs+=("$testdata/../lws/quickdraw/LWS") ;;
    lwo_fuzz) dirs+=("$testdata/../lwo2" "$testdata/../lws/quickdraw/LWO/LWO2/LWSReferences") ;;
  esac
  # Where one input can cost a hundred times another (object and scene size,
  # method 1's round trips against its streams), the schedule favours the cheap
  # ones. Scenes cost by their length: 4 KiB holds every kind of block, and the
  # seed items.lws has the lights, cameras and settings that the shared scene
  # only reaches after that.
  options=()
  case "$name" in
    lwo_fuzz | method1_fuzz) options+=(-entropic_scale_per_exec_time=1) ;;
    lws_fuzz) options+=(-entropic_scale_per_exec_time=1 -max_len=4096) ;;
  esac
  echo "fuzz: $name for ${seconds}s"
  if ! "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" \
      -artifact_prefix="$build/crashes/$name-" "${dirs[@]}" > "$build/$name.log" 2>&1; then
    echo "fuzz: $name FOUND A FAILURE (see $build/$name.log and $build/crashes/)"
    tail -n 40 "$build/$name.log"
    status=1
  else
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$build/$name.log" | sed "s/^/fuzz: $name /" || true
  fi
done < "$build/fuzzers.txt"
exit $status
