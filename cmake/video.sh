#!/usr/bin/env bash
# Renders the bundled show with nightloom-capture at VIDEO_FPS (30) frames a
# second, 800 x 600, on a private display, and muxes the frames with the
# show's soundtrack (SHOW_DIR/soundtrack.wav, every tune where the script
# starts it, fading out over two seconds past the end; the last frame is
# held while it fades) into build/play/show.mp4 with ffmpeg (Debian's,
# installed here when missing). Without the soundtrack it falls back to the
# first tune alone (its MP3, else its module). A progress line shows the
# frames as they come.
#   cmake/video.sh BUILD_DIR SHOW_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
show=$(cd "$2" && pwd)
fps=${VIDEO_FPS:-30}
run="$build/wine-run.sh"
out="$(dirname "$build")/play"
frames="$out/video-frames"

if ! command -v ffmpeg >/dev/null; then
  echo "video: installing Debian's ffmpeg"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends ffmpeg >/dev/null ||
    { echo "video: ffmpeg could not be installed"; exit 1; }
fi
music="$show/soundtrack.wav"
hold=2 # seconds of the soundtrack's fade-out after the last frame
if [ ! -f "$music" ]; then
  hold=0
  music="$show/content/music.mp3"
  [ -f "$music" ] || music="$show/content/music.mod"
fi
echo "video: music from $music"

# The show's length: its last event (the "stopdemo").
length=$(awk 'NF >= 2 && $1 ~ /^[0-9.]+$/ { t = $1 } END { print t }' "$show/content/scene.scr")
total=$(awk -v l="$length" -v f="$fps" 'BEGIN { printf "%d", l * f + 1 }')

rm -rf "$frames"
mkdir -p "$frames"
export DISPLAY=
"$run" --start >/dev/null || exit 1
echo "video: rendering ${length} s of the show at $fps frames a second"
(cd "$build/show" && "$run" ./nightloom-capture.exe --fps "$fps" --out "Z:$frames" --size 800x600) |
  awk -v total="$total" '/ t=/ { n++; t = $(NF - 1); sub(/^t=/, "", t)
                                 printf "\rvideo: frame %d of %d (%s s)   ", n, total, t; fflush() }
                          END { printf "\n" }'
status=${PIPESTATUS[0]}
"$run" --stop >/dev/null
[ "$status" -eq 0 ] || { echo "video: the capture failed (status $status)"; exit 1; }

echo "video: encoding $out/show.mp4"
ffmpeg -y -loglevel error -stats -framerate "$fps" -pattern_type glob -i "$frames/frame_[0-9]*.png" \
  -i "$music" -vf "tpad=stop_mode=clone:stop_duration=$hold" -shortest -c:v libx264 -pix_fmt yuv420p -c:a aac -b:a 160k "$out/show.mp4" ||
  { echo "video: ffmpeg failed"; exit 1; }
rm -rf "$frames"
echo "video: $out/show.mp4"
