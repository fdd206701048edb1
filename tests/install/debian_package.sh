#!/usr/bin/env bash
# Looks into the Debian package that scripts/build-deb made in BUILD_DIR:
# the layout, the control fields (dependencies found, not written by hand)
# and the file modes. Skipped when no package was built.
#   debian_package.sh BUILD_DIR
set -euo pipefail
shopt -s nullglob
debs=("$1"/korvane_*.deb)
[ ${#debs[@]} -gt 0 ] || { echo "no package in $1 (scripts/build-deb makes it): skipped"; exit 77; }
deb=${debs[-1]}
fail() { echo "FAIL: $*" >&2; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }')
for f in ./usr/bin/korvane ./usr/bin/korvane-cli ./usr/bin/korvane-sim ./usr/share/korvane/Korvane.ui \
         ./usr/share/korvane/xml/orvik/device.xml ./usr/share/applications/org.korvane.Korvane.desktop \
         ./usr/share/metainfo/org.korvane.Korvane.metainfo.xml ./usr/share/man/man1/korvane-cli.1.gz \
         ./usr/share/bash-completion/completions/korvane-cli ./usr/lib/udev/rules.d/70-korvane.rules \
         ./usr/share/doc/korvane/copyright ./usr/share/doc/korvane/changelog.gz \
         ./usr/share/icons/hicolor/256x256/apps/org.korvane.Korvane.png; do
  grep -q " $f\$" <<<"$contents" || fail "$f is not in the package"
done
grep -qE ' \./usr/lib/(.*/)?korvane/libkorvane-hexeditor\.so$' <<<"$contents" || fail "no hex editor in /usr/lib/korvane"
# Files root's, programs executable, nothing writable by others.
awk '$2 != "root/root" { exit 1 }' <<<"$contents" || fail "a file not owned by root"
grep -E '^-rwxr-xr-x root/root \./usr/bin/korvane-cli$' <<<"$contents" >/dev/null || fail "korvane-cli mode"
awk '$1 ~ /^.......w/ { exit 1 }' <<<"$contents" || fail "a file writable by others"

info=$(dpkg-deb -I "$deb")
grep -q '^ Package: korvane$' <<<"$info" || fail "package name"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for lib in libc6 libqt6widgets6 libpugixml1v5; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
echo "package $(basename "$deb"): ok"
