#!/usr/bin/env bash
# Runs a thumbnailer entry's Exec line as GNOME's file managers do: %i, %o and %s replaced, in a
# bubblewrap sandbox that holds /usr read-only, the input read-only and a directory for the output
# at /tmp, with no network, no display server, no home and an empty environment but PATH and an
# unreachable DISPLAY. Where bubblewrap cannot make a sandbox, the same empty environment with a
# home that cannot be created. The program must be in PATH; a directory of it outside /usr is bound
# read-only at /opt/thumbnailer. Exits with the thumbnailer's status; OUTPUT is written only by it.
# Usage: run_thumbnailer.sh ENTRY INPUT OUTPUT SIZE
set -euo pipefail
entry=$1 input=$(realpath "$2") output=$3 size=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=$(command -v "${exec_line%% *}")
bindir=$(dirname "$(realpath "$program")")

# As the sandbox names them. The entry's Exec line holds no quotes, so words split on blanks.
sandboxed_input=/tmp/gnome-desktop-file-to-thumbnail.${input##*.}
sandboxed_output=/tmp/gnome-desktop-thumbnailer.png
words=()
for word in $exec_line; do
  word=${word//%i/$sandboxed_input}
  word=${word//%o/$sandboxed_output}
  word=${word//%s/$size}
  words+=("${word//%%/%}")
done

# A sanitized build's options reach the program as they reach every test program.
sanitizer_options=()
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
  [ -n "${!name:-}" ] && sanitizer_options+=("$name=${!name}")
done

status=0
if command -v bwrap >/dev/null && bwrap --ro-bind / / --unshare-all true 2>/dev/null; then
  binds=(--ro-bind /usr /usr --ro-bind /etc/ld.so.cache /etc/ld.so.cache)
  for dir in bin lib lib64 sbin; do
    if [ -L "/$dir" ]; then binds+=(--symlink "usr/$dir" "/$dir"); elif [ -d "/$dir" ]; then binds+=(--ro-bind "/$dir" "/$dir"); fi
  done
  path=/usr/bin
  [[ $bindir == /usr/* ]] || { binds+=(--ro-bind "$bindir" /opt/thumbnailer); path=/opt/thumbnailer:$path; }
  env -i PATH="$path" DISPLAY=:99 "${sanitizer_options[@]}" bwrap "${binds[@]}" --proc /proc --dev /dev --chdir / \
    --setenv GIO_USE_VFS local --unshare-all --die-with-parent \
    --bind "$scratch" /tmp --ro-bind "$input" "$sandboxed_input" "${words[@]}" || status=$?
else
  echo "run_thumbnailer.sh: no bubblewrap sandbox here; an empty environment instead" >&2
  mkdir "$scratch/tmp"
  ln -s "$input" "$scratch/tmp/${sandboxed_input#/tmp/}"
  words=("${words[@]//\/tmp\//$scratch/tmp/}")
  (cd / && env -i PATH="$bindir:/usr/bin" HOME=/proc/no-home "${sanitizer_options[@]}" "${words[@]}") || status=$?
  mv "$scratch/tmp/${sandboxed_output#/tmp/}" "$scratch/" 2>/dev/null || true
fi
[ -e "$scratch/${sandboxed_output#/tmp/}" ] && mv "$scratch/${sandboxed_output#/tmp/}" "$output"
exit "$status"
