#!/usr/bin/env bash
# The speed of `vexo --export`, each figure beside its baseline, all variants taking turns round after
# round (A B C A B C ...) so that all see the same machine load; medians of the wall time with the
# lowest and highest, the processor time (user and system, all threads) and the peak resident memory
# of each process:
# - the ~100 MB motion of `load_benchmark --write` (or FILE): `--export` against `--check` (the
#   reading alone) and against copying the archive it writes (the bytes alone); peak memory against
#   the output arrays plus the value array plus 64 MiB;
# - from the motion to a positions array in Python (Debian's python3-numpy): `--export` then
#   numpy.load against `--positions` then numpy.loadtxt (and pandas.read_csv when pandas is there);
# - a generated folder of motions from 50 KB to 3 MB (cut from the large one, sizes spread evenly
#   on a log scale): `--check` and `--export` on all processors and on one (as `taskset -c 0`),
#   and their MB/s against the large file's.
# Usage: bench/export.sh [--rounds N] [--files N] [FILE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
rounds=5 files=1000 file=
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    *) file=$1; shift ;;
  esac
done
source "$here/large_motion.sh"

# The folder: motions cut from the large one, 50 KB to 3 MB, in a few subfolders.
/usr/bin/python3 - "$file" "$files" "$scratch/motions" <<'PY'
import math, os, random, sys
large, count, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
with open(large, "rb") as source:
    text = source.read()
motion = text.index(b"MOTION")
frames_at = text.index(b"\n", text.index(b"Frame Time:", motion)) + 1
header, lines = text[:motion], text[frames_at:].splitlines(keepends=True)
frame_time = text[text.index(b"Frame Time:", motion):frames_at]
rng = random.Random(17)
for i in range(count):
    target = math.exp(rng.uniform(math.log(50e3), math.log(3e6)))
    frames = max(1, int((target - len(header) - 40) / len(lines[0])))
    start = rng.randrange(0, len(lines) - frames)
    path = os.path.join(folder, f"subject{i % 20:02d}", f"take{i:05d}.bvh")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(header + b"MOTION\r\nFrames: %d\r\n" % frames + frame_time + b"".join(lines[start:start + frames]))
PY

# A Python user's way from the motion to a positions array, timed inside that Python (numpy
# imported): the vexo process, then the loading. Prints the seconds, and checks the array once.
cat >"$scratch/to_array.py" <<'PY'
import subprocess, sys, time
import numpy as np
vexo, way, large, scratch = sys.argv[1:5]
start = time.monotonic()
if way == "npz":
    subprocess.run([vexo, "--export", f"{scratch}/large.npz", large], check=True)
    with np.load(f"{scratch}/large.npz", allow_pickle=False) as arrays:
        positions = arrays["positions"].reshape(-1, 3)
else:
    with open(f"{scratch}/positions.csv", "wb") as csv:
        subprocess.run([vexo, "--positions", large], stdout=csv, check=True)
    if way == "loadtxt":
        positions = np.loadtxt(f"{scratch}/positions.csv", delimiter=",", skiprows=1, usecols=(3, 4, 5), dtype=np.float32)
    else:
        import pandas
        positions = pandas.read_csv(f"{scratch}/positions.csv", usecols=[3, 4, 5], dtype=np.float32).to_numpy()
print(time.monotonic() - start)
if len(sys.argv) > 5:
    np.save(sys.argv[5], positions)
PY

# The measuring process stays small (no NumPy, no data): a child's peak memory counts what its
# parent held when it was started.
/usr/bin/python3 - "$build/shell/vexo" "$rounds" "$file" "$scratch" <<'PY'
import importlib.util, os, shutil, statistics, subprocess, sys, time, zipfile
vexo, rounds, large, scratch = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
folder, archive, exported = f"{scratch}/motions", f"{scratch}/large.npz", f"{scratch}/exported"
sizes = sorted(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(folder) for f in fs)
folder_bytes, large_bytes = sum(sizes), os.path.getsize(large)

def pinned():
    os.sched_setaffinity(0, {min(os.sched_getaffinity(0))})

def process(command, one_core=False):
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             preexec_fn=pinned if one_core else None)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command} failed")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024

def to_array(way, *save):
    def run():
        seconds = subprocess.run(["/usr/bin/python3", f"{scratch}/to_array.py", vexo, way, large, scratch, *save],
                                 capture_output=True, text=True, check=True).stdout
        return float(seconds), None, None
    return run

def folder_export(one_core):
    def run():
        shutil.rmtree(exported, ignore_errors=True)
        return process([vexo, "--export", exported, folder], one_core)
    return run

ways = ["npz", "loadtxt"] + (["read_csv"] if importlib.util.find_spec("pandas") else [])
variants = [
    ("large: --check", lambda: process([vexo, "--check", large])),
    ("large: --export", lambda: process([vexo, "--export", archive, large])),
    ("large: copying the archive (cp)", lambda: process(["cp", archive, f"{scratch}/copy.npz"])),
    ("python: --export + numpy.load", to_array("npz")),
    ("python: --positions + numpy.loadtxt", to_array("loadtxt")),
] + ([("python: --positions + pandas.read_csv", to_array("read_csv"))] if "read_csv" in ways else []) + [
    ("folder: --check, all processors", lambda: process([vexo, "--check", folder])),
    ("folder: --check, one processor", lambda: process([vexo, "--check", folder], True)),
    ("folder: --export, all processors", folder_export(False)),
    ("folder: --export, one processor", folder_export(True)),
]
# The two ways give the same array (checked in a Python of their own), and the archive is there to copy.
for way in ways:
    to_array(way, f"{scratch}/{way}.npy")()
same = subprocess.run(["/usr/bin/python3", "-c", "import numpy as np, sys; a = [np.load(f) for f in sys.argv[1:]]; "
                       "print(all(np.array_equal(a[0], b) for b in a))", *(f"{scratch}/{w}.npy" for w in ways)],
                      capture_output=True, text=True).stdout.strip()
if same != "True":
    sys.exit("--export and --positions give different positions")

times = {name: [] for name, _ in variants}
print(f"load average before: {open('/proc/loadavg').read().strip()}")
for _ in range(rounds):
    for name, run in variants:
        times[name].append(run())
print(f"load average after:  {open('/proc/loadavg').read().strip()}")

def median(name, field=0):
    return statistics.median(t[field] for t in times[name])

print(f"{os.path.basename(large)}: {large_bytes / 1e6:.1f} MB; folder: {len(sizes)} motions, {folder_bytes / 1e6:.1f} MB, "
      f"{sizes[0] / 1e3:.0f} KB to {sizes[-1] / 1e6:.2f} MB, median {sizes[len(sizes) // 2] / 1e3:.0f} KB; "
      f"{rounds} rounds, medians; {len(os.sched_getaffinity(0))} processors")
print(f"  {'':40s} {'wall s (lowest-highest)':>26s} {'processor s':>12s} {'peak MiB':>9s}")
for name, _ in variants:
    walls = [t[0] for t in times[name]]
    measured = times[name][0][1] is not None
    cpu = f"{median(name, 1):12.3f}" if measured else ""
    peak = f"{max(t[2] for t in times[name]):9.1f}" if measured else ""
    print(f"  {name:40s} {statistics.median(walls):9.3f} ({min(walls):.3f}-{max(walls):.3f}) {cpu} {peak}")

# The arrays' bytes, from the archive's entries; the channels array is the reader's value array.
with zipfile.ZipFile(archive) as entries:
    sizes = {entry.filename: entry.file_size for entry in entries.infolist()}
values = sizes.pop("channels.npy")
outputs = sum(sizes.values())
limit = (outputs + values) / 2**20 + 64
peak = max(t[2] for t in times["large: --export"])
print("figures")
print(f"  --export / --check, large motion               {median('large: --export') / median('large: --check'):6.2f}x  (target: at most 2.5x)")
print(f"  peak memory of --export                        {peak:6.1f} MiB (target: arrays {outputs / 2**20:.1f} + values "
      f"{values / 2**20:.1f} + 64 = {limit:.1f} MiB): {'within' if peak <= limit else 'ABOVE'}")
best_text = min(median(name) for name in times if name.startswith("python: --positions"))
print(f"  (--positions + text) / (--export + numpy.load) {best_text / median('python: --export + numpy.load'):6.2f}x  (target: at least 20x)")
for mode in ("--check", "--export"):
    all_cores, one = median(f"folder: {mode}, all processors"), median(f"folder: {mode}, one processor")
    folder_rate, large_rate = folder_bytes / all_cores / 1e6, large_bytes / median(f"large: {mode}") / 1e6
    print(f"  folder {mode:9s} one processor / all        {one / all_cores:6.2f}x  (target: at least 1.7x on two)")
    print(f"  folder {mode:9s} MB/s against the large file {folder_rate:7.1f} / {large_rate:.1f} MB/s = "
          f"{100 * folder_rate / large_rate:.0f}%  (target: at least 60%)")
PY
