#!/usr/bin/env bash
# Whole processes of the output commands, timed as a user runs them, the variants in turn round after
# round (A B A B ...) so that all see the same machine load; medians of the wall time with the
# lowest and highest, and of the processor time (user and system, all threads), which other
# programs on the machine disturb less:
# - `vexo --positions` of a large motion to a file and to /dev/null, and `vexo --check` of it (the
#   reading alone), for this build and, with --against, another vexo (a baseline build);
# - `vexo --thumbnail` at 256 pixels of the sample and of a ~10 MB motion cut from the large one.
# The large motion is FILE, or the ~100 MB one that `load_benchmark --write` makes.
# Usage: bench/outputs.sh [--against VEXO] [--rounds N] [FILE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
against= rounds=7 file=
while [ $# -gt 0 ]; do
  case $1 in
    --against) against=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) file=$1; shift ;;
  esac
done
unset DISPLAY WAYLAND_DISPLAY
source "$here/large_motion.sh"
# The first frames of the large motion, up to about 10 MB, with its Frames: line to match.
small=$scratch/small.bvh
awk -v limit=10000000 '
  /^MOTION/ { motion = NR }
  motion && NR > motion + 2 { if (bytes > limit) exit; frames++ }
  { lines[NR] = $0; bytes += length($0) + 1 }
  END { for (i = 1; i <= NR && (!motion || i <= motion + 2 + frames); i++) {
          if (i == motion + 1) print "Frames: " frames; else print lines[i] } }' "$file" >"$small"

python3 - "$build/shell/vexo" "$against" "$rounds" "$file" "$small" "$here/../assets/samples/walk.bvh" "$scratch" <<'PY'
import os, resource, statistics, subprocess, sys, time
vexo, against, rounds, large, small, sample, scratch = sys.argv[1:8]
builds = [("this build", vexo)] + ([("--against", against)] if against else [])
csv = os.path.join(scratch, "positions.csv")
png = os.path.join(scratch, "thumbnail.png")
variants = []
for name, program in builds:
    variants += [
        (f"{name}: --check (reading)", [program, "--check", large], None),
        (f"{name}: --positions > file", [program, "--positions", large], csv),
        (f"{name}: --positions > /dev/null", [program, "--positions", large], os.devnull),
    ]
variants += [
    ("this build: --thumbnail, sample", [vexo, "--thumbnail", png, "--size", "256", sample], None),
    (f"this build: --thumbnail, {os.path.getsize(small) / 1e6:.0f} MB", [vexo, "--thumbnail", png, "--size", "256", small], None),
]
def processor_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

wall = {name: [] for name, _, _ in variants}
processor = {name: [] for name, _, _ in variants}
for _ in range(int(rounds)):
    for name, command, output in variants:
        with open(output or os.devnull, "wb") as out:
            start, used = time.monotonic(), processor_seconds()
            subprocess.run(command, stdout=out, check=True)
            wall[name].append(time.monotonic() - start)
            processor[name].append(processor_seconds() - used)
print(f"{os.path.basename(large)}: {os.path.getsize(large) / 1e6:.1f} MB; seconds over {rounds} rounds, medians")
print(f"  {'':42s} {'wall (lowest-highest)':>24s} {'processor':>10s}")
for name, _, _ in variants:
    w, p = wall[name], processor[name]
    print(f"  {name:42s} {statistics.median(w):7.3f} ({min(w):.3f}-{max(w):.3f}) {statistics.median(p):10.3f}")
PY
