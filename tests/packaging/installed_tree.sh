#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop gets from it: the program, which
# runs from there; a desktop entry that desktop-file-validate accepts; a MIME package under which
# *.bvh files and text starting with HIERARCHY are BVH; a thumbnailer entry whose command, run as a
# file manager runs it, draws a BVH file's thumbnail and refuses a broken one; the icon; a manual
# page that formats without warnings and documents every option of `vexo --help`.
# Usage: installed_tree.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/vexo share/applications/vexo.desktop share/mime/packages/vexo.xml share/thumbnailers/vexo.thumbnailer \
            share/icons/hicolor/32x32/apps/vexo.png share/man/man1/vexo.1.gz share/doc/vexo/copyright; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/vexo" ] || fail "bin/vexo is not executable"
[ "$("$prefix/bin/vexo" --version)" = "VEXO 1.0.0.2" ] || fail "the installed vexo does not run"
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/vexo" --snapshot "$prefix/walk.png" --size 64x48 \
  "$source/assets/samples/walk.bvh" || fail "the installed vexo draws no snapshot"

desktop-file-validate "$prefix/share/applications/vexo.desktop" || fail "desktop-file-validate refuses the entry"
grep -qx 'Exec=vexo %f' "$prefix/share/applications/vexo.desktop" || fail "the entry does not open a file"
grep -qx 'MimeType=text/x-bvh;' "$prefix/share/applications/vexo.desktop" || fail "the entry names no BVH type"

thumbnailer=$prefix/share/thumbnailers/vexo.thumbnailer
[ "$(head -n 1 "$thumbnailer")" = '[Thumbnailer Entry]' ] || fail "the thumbnailer entry has no [Thumbnailer Entry] group"
grep -qx 'MimeType=text/x-bvh;' "$thumbnailer" || fail "the thumbnailer entry names no BVH type"
run_thumbnailer() { PATH="$prefix/bin:$PATH" "$source/tests/packaging/run_thumbnailer.sh" "$thumbnailer" "$@"; }
run_thumbnailer "$source/assets/samples/walk.bvh" "$prefix/thumbnail.png" 128 || fail "the thumbnailer failed"
[ "$(head -c 24 "$prefix/thumbnail.png" | od -An -tx1 | tr -d ' \n')" = \
  "89504e470d0a1a0a0000000d4948445200000080"00000080 ] || fail "the thumbnail is not a 128x128 PNG"
printf 'HIERARCHY\nROOT r\n' >"$prefix/refused.bvh"
if run_thumbnailer "$prefix/refused.bvh" "$prefix/refused.png" 128 2>/dev/null || [ -e "$prefix/refused.png" ]; then
  fail "the thumbnailer made a thumbnail of a refused file"
fi

errors=$(XDG_DATA_DIRS="$prefix/share:/usr/share" update-mime-database "$prefix/share/mime" 2>&1) || fail "update-mime-database failed: $errors"
[ -z "$errors" ] || fail "update-mime-database complained: $errors"
grep -qx '[0-9]*:text/x-bvh:\*\.bvh' "$prefix/share/mime/globs2" || fail "*.bvh is not text/x-bvh"
grep -aq 'HIERARCHY' "$prefix/share/mime/magic" || fail "no magic for text starting with HIERARCHY"
grep -q 'text/x-bvh text/plain' "$prefix/share/mime/subclasses" || fail "text/x-bvh is not text"

[ "$(head -c 24 "$prefix/share/icons/hicolor/32x32/apps/vexo.png" | od -An -tx1 | tr -d ' \n')" = \
  "89504e470d0a1a0a0000000d4948445200000020"00000020 ] || fail "the icon is not a 32x32 PNG"

warnings=$(zcat "$prefix/share/man/man1/vexo.1.gz" | groff -man -ww -z 2>&1) || fail "groff failed"
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
manual=$(zcat "$prefix/share/man/man1/vexo.1.gz")
for option in $("$prefix/bin/vexo" --help | grep -o -- '--[a-z]*' | sort -u); do
  grep -qF -- "${option//-/\\-}" <<<"$manual" || fail "the manual page does not document $option"
done

exit $((failures > 0))
