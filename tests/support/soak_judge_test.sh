#!/usr/bin/env bash
# The soak's verdict on made-up player figures: steady loops pass; a loop
# that ends holding more than a megabyte more, or one more Direct3D
# resource, fails; fewer than two loops cannot be judged. Lines of other
# kinds (each minute's, the end's) are not compared.
#   soak_judge_test.sh JUDGE
set -u
judge=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
expect() { # NAME WANTED_STATUS FILE
  bash "$judge" "$3" >"$dir/out" 2>&1
  local got=$?
  if [ "$got" -ne "$2" ]; then
    echo "FAIL $1: status $got, wanted $2"; cat "$dir/out"; failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}
header=$'kind\tseconds\tdemo_time\theap_blocks\theap_bytes\td3d_resources'
printf '%s\n' "$header" $'time\t60.0\t60.0\t900\t50000000\t40' $'loop\t77.0\t0.0\t500\t20000000\t12' \
  $'time\t120.0\t43.0\t700\t30000000\t30' $'loop\t154.0\t0.0\t501\t20500000\t12' \
  $'loop\t231.0\t0.0\t499\t21048000\t12' $'end\t240.0\t9.0\t800\t40000000\t33' >"$dir/steady.tsv"
expect "steady loops pass (minute samples mid-show are not compared)" 0 "$dir/steady.tsv"
sed 's/^loop\t231.0\t0.0\t499\t21048000/loop\t231.0\t0.0\t499\t21048577/' "$dir/steady.tsv" >"$dir/heap.tsv"
expect "a megabyte and a byte more fails" 1 "$dir/heap.tsv"
sed 's/^loop\t154.0\t0.0\t501\t20500000\t12/loop\t154.0\t0.0\t501\t20500000\t13/' "$dir/steady.tsv" >"$dir/res.tsv"
expect "one more resource fails" 1 "$dir/res.tsv"
printf '%s\n' "$header" $'loop\t77.0\t0.0\t500\t20000000\t12' $'end\t90.0\t13.0\t600\t25000000\t20' >"$dir/one.tsv"
expect "one loop cannot be judged" 2 "$dir/one.tsv"
[ "$failures" -eq 0 ]
