#!/usr/bin/env bash
# Pictures without a display, on Mesa's software renderer: frames per second of `vexo --render` at
# 1280x720 for the sample and for a 151-joint skeleton (the median of RUNS runs, as vexo reports
# them: drawing, reading back and writing each PNG), and the wall time of `vexo --snapshot` from
# process start to the PNG written (the process's exit), the median of 4 x RUNS runs.
# Usage: bench/pictures.sh [BUILD_DIR] [RUNS]   (default: build/, 3 runs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-3}
vexo=$build/shell/vexo
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY

sample=$here/../assets/samples/walk.bvh
many=$scratch/many_joints.bvh
"$build/bench/many_joints_motion" "$many" 2>/dev/null

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

render_fps() {  # FILE: frames per second of each run, one a line
  for _ in $(seq "$runs"); do
    rm -rf "$scratch/frames"
    "$vexo" --render "$scratch/frames" --size 1280x720 "$1" 2>&1 >/dev/null |
      sed -n 's/.*, \([0-9.]*\) frames per second$/\1/p'
  done
}

snapshot_ms() {  # FILE SIZE: milliseconds of each run, one a line
  for _ in $(seq $((4 * runs))); do
    start=$(date +%s%N)
    "$vexo" --snapshot "$scratch/snapshot.png" --size "$2" "$1"
    echo $((($(date +%s%N) - start) / 1000)) | awk '{ print $1 / 1000 }'
  done
}

# "240 frames, 26 joints" from the --check line (end sites count as joints: each gets a sphere).
shape() { "$vexo" --check "$1" | sed -n 's/.* joints=\([0-9]*\) .* frames=\([0-9]*\) .*/\2 frames, \1 joints/p'; }

echo "vexo --render at 1280x720, frames per second (median of $runs runs):"
printf '  sample (%s)             %6.1f\n' "$(shape "$sample")" "$(render_fps "$sample" | median)"
printf '  many joints (%s)       %6.1f\n' "$(shape "$many")" "$(render_fps "$many" | median)"
echo "vexo --snapshot, process start to PNG written, milliseconds (median of $((4 * runs)) runs):"
printf '  sample, 800x600                          %6.1f\n' "$(snapshot_ms "$sample" 800x600 | median)"
printf '  sample, 1280x720                         %6.1f\n' "$(snapshot_ms "$sample" 1280x720 | median)"
printf '  many joints, 1280x720 (frame 1)          %6.1f\n' "$(snapshot_ms "$many" 1280x720 | median)"
