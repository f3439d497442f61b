#!/usr/bin/env bash
# Plays a show under Wine through nlrun (no message box, the player ends by
# itself with exit code 0). The player writes its clock and figures every
# five seconds as it plays; when the run fails, the last of them tell how far
# the show got before it did.
#   show_e2e.sh BUILD_DIR TIMEOUT_MS PROGRAM.exe [ARGS...]
set -u
build=$1
shift
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
NIGHTLOOM_STATS="Z:$figures" NIGHTLOOM_STATS_SECONDS=5 \
  "$build/wine-run.sh" "$build/bin/nlrun.exe" "$@"
status=$?
if [ "$status" -ne 0 ]; then
  echo "show_e2e: the player's last figures (seconds of wall time, of the show):"
  tail -n 3 "$figures"
fi
exit "$status"
