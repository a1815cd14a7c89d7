#!/usr/bin/env bash
# `vexo --lint` against `vexo --check` of the same large motion, as a user runs them: whole processes,
# alternating round after round so that both see the same machine load, on all processors and pinned
# to one; medians of the wall time (lowest-highest), of the processor time (user and system, all
# threads) and of the peak resident memory, and lint's time over check's. The JSON Lines forms are
# timed too. The motion is FILE, or the ~100 MB one that `load_benchmark --write` makes.
# Usage: bench/lint.sh [--rounds N] [FILE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
rounds=11 file=
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) file=$1; shift ;;
  esac
done
source "$here/large_motion.sh"

python3 - "$build/shell/vexo" "$rounds" "$file" <<'PY'
import os, statistics, subprocess, sys, time
vexo, rounds, large = sys.argv[1], int(sys.argv[2]), sys.argv[3]
one_core = ["taskset", "-c", "0"]
variants = [
    ("--check", [vexo, "--check", large]),
    ("--lint", [vexo, "--lint", large]),
    ("--check --json", [vexo, "--check", "--json", large]),
    ("--lint --json", [vexo, "--lint", "--json", large]),
    ("--check, one processor", one_core + [vexo, "--check", large]),
    ("--lint, one processor", one_core + [vexo, "--lint", large]),
]
wall = {name: [] for name, _ in variants}
processor = {name: [] for name, _ in variants}
peak = {name: [] for name, _ in variants}
for _ in range(rounds):
    for name, command in variants:
        start = time.monotonic()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        wall[name].append(time.monotonic() - start)
        processor[name].append(usage.ru_utime + usage.ru_stime)
        peak[name].append(usage.ru_maxrss / 1024)
        if os.waitstatus_to_exitcode(status) not in (0, 1):
            sys.exit(f"{name} failed")
print(f"{os.path.basename(large)}: {os.path.getsize(large) / 1e6:.1f} MB; {rounds} rounds, medians; "
      f"load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} processors")
print(f"  {'':24s} {'wall s (lowest-highest)':>25s} {'processor s':>12s} {'peak MiB':>9s}")
for name, _ in variants:
    w = wall[name]
    print(f"  {name:24s} {statistics.median(w):8.3f} ({min(w):.3f}-{max(w):.3f}) "
          f"{statistics.median(processor[name]):12.3f} {statistics.median(peak[name]):9.1f}")
for lint, check in [("--lint", "--check"), ("--lint, one processor", "--check, one processor")]:
    print(f"  {lint} / {check}: {statistics.median(wall[lint]) / statistics.median(wall[check]):.2f}x wall, "
          f"{statistics.median(processor[lint]) / statistics.median(processor[check]):.2f}x processor")
PY
