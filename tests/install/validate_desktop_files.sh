#!/usr/bin/env bash
# The desktop entry and the AppStream description pass their validators.
#   validate_desktop_files.sh DIST_DIR
set -euo pipefail
dist=$1
command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null || {
  echo "desktop-file-validate or appstreamcli not installed: skipped"; exit 77; }
out=$(desktop-file-validate "$dist/org.korvane.Korvane.desktop" 2>&1)
[ -z "$out" ] || { echo "$out"; exit 1; }
grep -qx 'Exec=korvane %f' "$dist/org.korvane.Korvane.desktop" || { echo "the entry does not pass a file on"; exit 1; }
appstreamcli validate --no-net "$dist/org.korvane.Korvane.metainfo.xml"
