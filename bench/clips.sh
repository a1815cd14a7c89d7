#!/usr/bin/env bash
# Clips of the sample without a display: the wall time of `vexo --render OUT.mp4` against its
# baseline, `vexo --render DIR` to PNGs followed by ffmpeg turning those PNGs into the same video
# (H.264 by libx264 in yuv420p at the file's rate, ffmpeg's defaults otherwise), run in turn so both
# see the same load; and of `vexo --render OUT.gif`. Seconds, the median of RUNS runs.
# Usage: bench/clips.sh [BUILD_DIR] [RUNS] [SIZE]   (default: build/, 5 runs, 800x600)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-5}
size=${3:-800x600}
vexo=$build/shell/vexo
sample=$here/../assets/samples/walk.bvh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY
command -v ffmpeg >/dev/null || { echo "clips.sh: needs ffmpeg (Debian's ffmpeg package)" >&2; exit 1; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
seconds() { local start=$(date +%s%N); "$@" >/dev/null 2>&1; echo $((($(date +%s%N) - start) / 1000000)) | awk '{ print $1 / 1000 }'; }
checked=$("$vexo" --check "$sample")
rate=$(echo "$checked" | sed 's/.*frame_time=//' | awk '{ print 1 / $1 }')
frames=$(echo "$checked" | sed -n 's/.* frames=\([0-9]*\) .*/\1/p')

pngs_then_ffmpeg() {
  rm -rf "$scratch/frames"
  "$vexo" --render "$scratch/frames" --size "$size" "$sample" &&
    ffmpeg -v error -y -framerate "$rate" -i "$scratch/frames/frame_%06d.png" -c:v libx264 -pix_fmt yuv420p \
      "$scratch/baseline.mp4"
}

: >"$scratch/mp4" >"$scratch/baseline" >"$scratch/gif"
for _ in $(seq "$runs"); do
  seconds "$vexo" --render "$scratch/walk.mp4" --size "$size" "$sample" >>"$scratch/mp4"
  seconds pngs_then_ffmpeg >>"$scratch/baseline"
  seconds "$vexo" --render "$scratch/walk.gif" --size "$size" "$sample" >>"$scratch/gif"
done

echo "The sample ($frames frames) at $size, seconds (median of $runs runs, taken in turn):"
printf '  vexo --render OUT.mp4                    %6.2f   %s bytes\n' "$(median <"$scratch/mp4")" "$(stat -c %s "$scratch/walk.mp4")"
printf '  vexo --render DIR, then ffmpeg (libx264) %6.2f   %s bytes\n' "$(median <"$scratch/baseline")" "$(stat -c %s "$scratch/baseline.mp4")"
printf '  vexo --render OUT.gif                    %6.2f   %s bytes\n' "$(median <"$scratch/gif")" "$(stat -c %s "$scratch/walk.gif")"
