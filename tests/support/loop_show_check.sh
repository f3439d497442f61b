#!/usr/bin/env bash
# The looping variant of the bundled show (what `make soak` plays) passes the
# show's checker, marks its start with "restart", jumps back with
# "stopsound", and never ends itself.
#   loop_show_check.sh NATIVE_BUILD_DIR SHOW_CONTENT_DIR
set -euo pipefail
native=$1
content=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/content"
cp -r "$content/." "$work/content/"
mp3=""
[ -f "$work/content/music.mp3" ] && mp3=--mp3
"$native/demo/make_script" "$work/content/scene.scr" $mp3 --loop
if grep -q stopdemo "$work/content/scene.scr"; then
  echo "the looping show ends itself"
  exit 1
fi
"$native/tools/nltool" pack "$work/loop.sar" "$work/content" >/dev/null
"$native/tools/nltool" check "$work/loop.sar" --require restart,stopsound,loadmeta,fov,screenshot
