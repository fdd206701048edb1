#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs
# from it, then from a copy moved elsewhere (nothing may point back at the
# build tree or the first prefix), then with a file missing.
#   installed_layout.sh BUILD_DIR WITH_GUI(0|1)
set -euo pipefail
build=$1
gui=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
export QT_QPA_PLATFORM=offscreen

expect_file() { [ -e "$prefix/$1" ] || fail "not installed: $1"; }
for f in bin/korvane-cli bin/korvane-sim share/korvane/xml/orvik/device.xml share/korvane/xml/orvik/chips/KV5210.xml \
         share/man/man1/korvane-cli.1.gz share/bash-completion/completions/korvane-cli lib/udev/rules.d/70-korvane.rules; do
  expect_file "$f"
done
if [ "$gui" = 1 ]; then
  for f in bin/korvane share/korvane/Korvane.ui share/applications/org.korvane.Korvane.desktop \
           share/metainfo/org.korvane.Korvane.metainfo.xml share/icons/hicolor/scalable/apps/org.korvane.Korvane.svg \
           share/icons/hicolor/48x48/apps/org.korvane.Korvane.png share/icons/hicolor/256x256/apps/org.korvane.Korvane.png \
           share/man/man1/korvane.1.gz; do
    expect_file "$f"
  done
  find "$prefix/lib" -path '*/korvane/libkorvane-hexeditor.so' | grep -q . || fail "the hex editor is not in lib/korvane/"
fi
# Nothing but the programs in bin/.
extra=$(ls "$prefix/bin" | grep -vxE 'korvane|korvane-cli|korvane-sim' || true)
[ -z "$extra" ] || fail "bin/ holds more than the programs: $extra"

run_from() {
  local top=$1
  "$top/bin/korvane-cli" chips | grep -q KV5210 || fail "installed korvane-cli chips (in $top) lists no KV5210"
  for p in korvane-cli korvane-sim; do
    "$top/bin/$p" --version | grep -qx "$p [0-9.]*" || fail "$p --version"
  done
  if [ "$gui" = 1 ]; then
    "$top/bin/korvane" --version | grep -qx "korvane [0-9.]*" || fail "korvane --version"
  fi
}
run_from "$prefix"
if [ "$gui" = 1 ]; then
  # The installed application finds the installed emulator (its settings go to the scratch folder).
  out=$(XDG_CONFIG_HOME=$scratch/config HOME=$scratch timeout -s TERM 4 "$prefix/bin/korvane" --simulate 2>&1 || true)
  grep -q "emulated programmer on" <<<"$out" || fail "installed korvane --simulate: $out"
fi

moved=$scratch/elsewhere
mv "$prefix" "$moved"
run_from "$moved"

# A missing installed file is named in the message, by the path looked for.
rm -rf "$moved/share/korvane/xml"
if out=$("$moved/bin/korvane-cli" chips 2>&1); then fail "chips succeeded without chip data"; fi
grep -qF "$moved/share/korvane/xml/orvik/chips" <<<"$out" || fail "the message names no chip folder: $out"
if [ "$gui" = 1 ]; then
  rm "$moved/share/korvane/Korvane.ui"
  if out=$(timeout 20 "$moved/bin/korvane" 2>&1); then fail "korvane started without its skin archive"; fi
  grep -qF "$moved/share/korvane/Korvane.ui" <<<"$out" || fail "the message names no skin archive: $out"
fi
echo "installed layout: ok"
