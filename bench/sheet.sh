#!/usr/bin/env bash
# `vexo --sheet` on one processor and on two, side by side: whole processes pinned with taskset, the
# two variants in turn round after round (A B A B ...) so that both see the same machine load;
# medians of the wall time with the lowest and highest, the processor time (user and system, all
# threads), and the speed-up of two processors over one (the ratio of the median wall times, and of
# the lowest, which other programs on a busy machine disturb least).
# Two folders: the corpus of real files (../shared/corpus) and 1,000 files made from the sample,
# each starting at another of its frames, so that no two pictures are the same.
# Usage: bench/sheet.sh [--rounds N] [--size N] [BUILD_DIR]   (default: 5 rounds, 256, build/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build rounds=5 size=256
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY

# The sample's header, then its frames from frame k + 1 on and round to frame k.
sample=$here/../assets/samples/walk.bvh
header=$(grep -n '^Frame Time' "$sample" | cut -d: -f1)
head -n "$header" "$sample" >"$scratch/header"
tail -n +"$((header + 1))" "$sample" >"$scratch/frames"
frames=$(wc -l <"$scratch/frames")
mkdir "$scratch/generated"
for i in $(seq 0 999); do
  k=$((i % frames))
  cat "$scratch/header" <(tail -n +"$((k + 1))" "$scratch/frames") <(head -n "$k" "$scratch/frames") \
    >"$scratch/generated/motion_$(printf %04d "$i").bvh"
done

folders=("$scratch/generated")
corpus=$here/../../shared/corpus
if [ -d "$corpus" ]; then folders=("$corpus" "${folders[@]}"); else echo "(no corpus at $corpus)"; fi

python3 - "$build/shell/vexo" "$rounds" "$size" "$scratch/sheet.png" "${folders[@]}" <<'PY'
import os, resource, statistics, subprocess, sys, time
vexo, rounds, size, sheet = sys.argv[1:5]
folders = sys.argv[5:]
processors = sorted(os.sched_getaffinity(0))
if len(processors) < 2:
    sys.exit("bench/sheet.sh needs two processors to compare one with")
pinnings = [("1 processor", processors[:1]), ("2 processors", processors[:2])]

def processor_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

for folder in folders:
    files = sum(name.lower().endswith(".bvh") for _, _, names in os.walk(folder) for name in names)
    name = "corpus" if "corpus" in folder else "generated"
    wall = {label: [] for label, _ in pinnings}
    processor = {label: [] for label, _ in pinnings}
    for _ in range(int(rounds)):
        for label, cpus in pinnings:
            command = ["taskset", "-c", ",".join(map(str, cpus)), vexo, "--sheet", sheet, "--size", size, folder]
            start, used = time.monotonic(), processor_seconds()
            subprocess.run(command, check=True)
            wall[label].append(time.monotonic() - start)
            processor[label].append(processor_seconds() - used)
    print(f"vexo --sheet --size {size} of the {name} folder ({files} files); seconds over {rounds} rounds, medians")
    print(f"  {'':14s} {'wall (lowest-highest)':>24s} {'processor':>10s} {'per file, ms':>13s}")
    for label, _ in pinnings:
        w, p = wall[label], processor[label]
        print(f"  {label:14s} {statistics.median(w):7.3f} ({min(w):.3f}-{max(w):.3f}) {statistics.median(p):10.3f}"
              f" {1000 * statistics.median(w) / files:13.2f}")
    one, two = (statistics.median(wall[label]) for label, _ in pinnings)
    fastest_one, fastest_two = (min(wall[label]) for label, _ in pinnings)
    print(f"  two processors over one: {one / two:.2f}x (medians), {fastest_one / fastest_two:.2f}x (lowest)")
PY
