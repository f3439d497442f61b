#!/usr/bin/env bash
# Judges a soak run from the player's own figures (NIGHTLOOM_STATS lines):
# between the end of the first loop and every later loop's end - the same
# point of the show, all its metascenes freed - the player's heap may grow by
# at most LIMIT bytes (1 MB) and its live Direct3D resources not at all.
# Prints one line per loop and the verdict; exit 0 when it holds, 1 when it
# does not, 2 when fewer than two loops ended (nothing to compare).
#   cmake/soak_judge.sh PLAYER.tsv [LIMIT_BYTES]
set -uo pipefail
stats=$1
limit=${2:-1048576}
awk -F'\t' -v limit="$limit" '
  NR == 1 { next }
  $1 == "loop" {
    n++
    if (n == 1) { heap = $5; res = $6; printf "loop 1 ends at %.0f s: heap %d bytes in %d blocks, %d Direct3D resources (the baseline)\n", $2, $5, $4, $6; next }
    growth = $5 - heap; more = $6 - res
    bad = growth > limit || more > 0
    printf "loop %d ends at %.0f s: heap %+d bytes, %+d Direct3D resources%s\n", n, $2, growth, more, bad ? "  <- too much" : ""
    if (bad) failed = 1
  }
  END {
    if (n < 2) { print "soak: fewer than two loops ended: nothing to compare"; exit 2 }
    if (failed) { print "soak: FAILED: the player holds more after its first loop"; exit 1 }
    print "soak: passed: the player holds no more after its first loop"
  }' "$stats"
