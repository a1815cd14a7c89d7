#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with dpkg (apt-get fetching what it depends
# on), checks the installed program, desktop entry, MIME type, thumbnailer and manual page, and
# removes the package again. Meant for CI after the tests, on a throw-away machine.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

if dpkg-query -W -f='${Status}' vexo 2>/dev/null | grep -q 'installed'; then
  echo "package.sh: a vexo package is installed already; remove it first" >&2
  exit 1
fi

scripts/build
rm -f build/vexo_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(echo build/vexo_*_*.deb)
echo "Built $deb"
dpkg-deb --field "$deb" Depends

scratch=$(mktemp -d)
trap '$sudo dpkg --purge vexo >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
if ! $sudo dpkg -i "$deb"; then
  echo "Fetching the packages vexo depends on"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq --no-install-recommends >/dev/null
fi

/usr/bin/vexo --version
desktop-file-validate /usr/share/applications/vexo.desktop
grep -q '^[0-9]*:text/x-bvh:\*\.bvh$' /usr/share/mime/globs2 || { echo "package.sh: *.bvh is not text/x-bvh" >&2; exit 1; }
test -s /usr/share/icons/hicolor/32x32/apps/vexo.png
man -w vexo >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/vexo --snapshot "$scratch/walk.png" assets/samples/walk.bvh
test -s "$scratch/walk.png"
tests/packaging/run_thumbnailer.sh /usr/share/thumbnailers/vexo.thumbnailer assets/samples/walk.bvh "$scratch/thumbnail.png" 256
test -s "$scratch/thumbnail.png"

$sudo dpkg --purge vexo >/dev/null
test ! -e /usr/bin/vexo
echo "package.sh: $deb installs, runs and removes cleanly"
