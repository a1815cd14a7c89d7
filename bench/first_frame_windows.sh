#!/usr/bin/env bash
# Time from process start to the first frame drawn, for vexo.exe under Wine beside the Linux vexo,
# the two run in turn (Linux, Windows, Linux, ...) on one private Xvfb: medians and ranges of RUNS
# runs each (default 10), in milliseconds. Wine's server is kept running between the runs, as it is
# while a desktop uses Wine; the first Windows run, which starts it, is reported on its own.
# The Windows frame is the first wglSwapBuffers in Wine's trace (timestamps of the same monotonic
# clock); the Linux one comes from first_frame_probe.
# Usage: bench/first_frame_windows.sh [BUILD_DIR] [WINDOWS_BUILD_DIR] [FILE] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
windows_build=${2:-$here/../build-windows}
file=${3:-$here/../assets/samples/walk.bvh}
runs=${4:-10}

Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>/tmp/first_frame_display.$$ 2>/dev/null &
xvfb=$!
export WINEPREFIX=${WINEPREFIX:-$(cd "$windows_build" && pwd)/wineprefix} WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -f /tmp/first_frame_display.$$' EXIT
for _ in $(seq 50); do [ -s /tmp/first_frame_display.$$ ] && break; sleep 0.1; done
export DISPLAY=:$(cat /tmp/first_frame_display.$$)
wineserver -k 2>/dev/null || true

python3 - "$build/shell/vexo" "$build/bench/libfirst_frame_probe.so" "$windows_build/shell/vexo.exe" "$file" "$runs" <<'PY'
import os, re, statistics, subprocess, sys, time
vexo, probe, exe, path, runs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])

def linux():
    start = time.monotonic_ns()
    done = subprocess.run([vexo, path], env=dict(os.environ, LD_PRELOAD=probe), stderr=subprocess.PIPE,
                          text=True, timeout=30)
    line = [l for l in done.stderr.splitlines() if l.startswith("first-frame-ns ")]
    if not line:
        sys.exit("no frame was drawn: " + done.stderr.strip())
    return (int(line[0].split()[1]) - start) / 1e6

def windows():
    env = dict(os.environ, WINEDEBUG="+timestamp,trace+wgl")
    start = time.monotonic()
    wine = subprocess.Popen(["wine", exe, path], env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
    for line in wine.stderr:
        swap = re.match(r"\s*(\d+\.\d+):.*wglSwapBuffers", line)
        if swap:
            wine.kill()
            wine.wait()
            return (float(swap.group(1)) - start) * 1000
    sys.exit("vexo.exe drew no frame")

time.sleep(1)
cold = windows()
subprocess.run(["wineserver", "-p"])  # from now on the server stays between runs
linuxSamples, windowsSamples = [], []
for _ in range(runs):
    for samples, run in ((linuxSamples, linux), (windowsSamples, windows)):
        time.sleep(1)  # let the X server finish with the previous run
        samples.append(run())

def summary(name, samples):
    print(f"{name}: median {statistics.median(samples):.0f} ms, range {min(samples):.0f} to {max(samples):.0f} ms "
          f"over {len(samples)} runs")
summary("vexo (Linux)       ", linuxSamples)
summary("vexo.exe under Wine", windowsSamples)
print(f"vexo.exe under Wine, starting Wine's server too: {cold:.0f} ms")
PY
