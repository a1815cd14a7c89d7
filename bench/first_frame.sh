#!/usr/bin/env bash
# Time from process start to the first frame drawn by `vexo FILE` under Xvfb: the median of RUNS
# runs (default 10), in milliseconds. Usage: bench/first_frame.sh [BUILD_DIR] [FILE] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
file=${2:-$here/../assets/samples/walk.bvh}
runs=${3:-10}
probe=$build/bench/libfirst_frame_probe.so
vexo=$build/shell/vexo

Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>/tmp/first_frame_display.$$ 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f /tmp/first_frame_display.$$' EXIT
for _ in $(seq 50); do [ -s /tmp/first_frame_display.$$ ] && break; sleep 0.1; done
export DISPLAY=:$(cat /tmp/first_frame_display.$$)

python3 - "$vexo" "$probe" "$file" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
vexo, probe, path, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
samples = []
for _ in range(runs):
    time.sleep(1)  # let the X server finish with the previous run before the next one connects
    env = dict(os.environ, LD_PRELOAD=probe)
    start = time.monotonic_ns()
    done = subprocess.run([vexo, path], env=env, stderr=subprocess.PIPE, text=True, timeout=30)
    line = [l for l in done.stderr.splitlines() if l.startswith("first-frame-ns ")]
    if not line:
        sys.exit("no frame was drawn: " + done.stderr.strip())
    samples.append((int(line[0].split()[1]) - start) / 1e6)
print("first frame after start, ms:", " ".join(f"{s:.1f}" for s in samples))
print(f"median {statistics.median(samples):.1f} ms over {runs} runs")
PY
