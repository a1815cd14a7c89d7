#!/usr/bin/env bash
# Start-up, whole processes: the window's first frame under Xvfb (`vexo FILE`, process start to the
# first buffer swap) and `vexo --snapshot` (process start to exit, the PNG written), run in turn
# RUNS times (default 10), then where the milliseconds go: for each stage the probe marks, the
# median time since process start and the main thread's CPU time by then (other threads' stages,
# such as the font configuration read in the background, show their own thread's CPU time).
# Usage: bench/startup.sh [BUILD_DIR] [FILE] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
file=${2:-$here/../assets/samples/walk.bvh}
runs=${3:-10}
probe=$build/bench/libstartup_probe.so
vexo=$build/shell/vexo
scratch=$(mktemp -d)

Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$scratch/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(cat "$scratch/display")

python3 - "$vexo" "$probe" "$file" "$runs" "$display" "$scratch/snapshot.png" <<'PY'
import collections, os, statistics, subprocess, sys, time
vexo, probe, path, runs, display, picture = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5], sys.argv[6]

def run(command, display):
    env = dict(os.environ, LD_PRELOAD=probe, VEXO_PROBE_EXIT_AT_SWAP="1")
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    else:
        del env["VEXO_PROBE_EXIT_AT_SWAP"]
    start = time.monotonic_ns()
    done = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=60)
    end = time.monotonic_ns()
    stages = {}
    for line in done.stderr.splitlines():
        if line.startswith("stage "):
            _, name, wall, cpu, thread = line.split()
            stages.setdefault(name, ((int(wall) - start) / 1e6, int(cpu) / 1e6, thread))
    return (end - start) / 1e6, stages

modes = {"first frame": ([vexo, path], display), "snapshot": ([vexo, "--snapshot", picture, path], None)}
totals = collections.defaultdict(list)
stages = {mode: collections.defaultdict(list) for mode in modes}
for _ in range(runs):
    for mode, (command, on) in modes.items():
        time.sleep(1)  # let the X server finish with the previous client before the next one connects
        total, marks = run(command, on)
        if mode == "first frame":
            if "glXSwapBuffers<" not in marks:
                sys.exit("no frame was drawn")
            total = marks["glXSwapBuffers<"][0]
        totals[mode].append(total)
        for name, mark in marks.items():
            stages[mode][name].append(mark)

def spread(values):
    ordered = sorted(values)
    return f"median {statistics.median(ordered):6.1f} ms  (quartiles {ordered[len(ordered) // 4]:.1f}, {ordered[(3 * len(ordered)) // 4]:.1f}; min {ordered[0]:.1f})"

for mode in modes:
    print(f"{mode:12s} {spread(totals[mode])} over {runs} runs")
for mode in modes:
    print(f"\n{mode}: stage, ms since start, CPU ms of its thread by then (medians)")
    rows = sorted(stages[mode].items(), key=lambda item: statistics.median(m[0] for m in item[1]))
    for name, marks in rows:
        thread = marks[0][2]
        print(f"  {name:28s} {statistics.median(m[0] for m in marks):7.1f} {statistics.median(m[1] for m in marks):7.1f}"
              + ("" if thread == "main" else "  (other thread)"))
PY
