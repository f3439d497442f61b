#!/usr/bin/env bash
# The demo as it ships: unpacks the distribution zip into an empty folder and
# plays the show from there under Wine; the player must end by itself with
# exit code 0 and no message box.
#   dist_e2e.sh BUILD_DIR ZIP
set -u
build=$1
zip=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
(cd "$folder" && cmake -E tar xf "$zip") || { echo "dist_e2e: cannot unpack $zip"; exit 1; }
for f in nightloom.exe nightloom-prev.exe tmz.dll moonwell.sar README.txt; do
  [ -f "$folder/nightloom/$f" ] || { echo "dist_e2e: $f missing from the zip"; exit 1; }
done
[ "$(ls "$folder/nightloom" | wc -l)" -eq 5 ] || { echo "dist_e2e: unexpected files:"; ls "$folder/nightloom"; exit 1; }
"$build/wine-run.sh" "$build/bin/nlrun.exe" 180000 "$folder/nightloom/nightloom.exe"
status=$?
echo "dist_e2e: exit code $status"
exit $status
