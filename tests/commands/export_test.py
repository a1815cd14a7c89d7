"""vexo --export as NumPy users meet it: every array loads without pickling; the positions are the
floats --positions prints, bit for bit, and follow from parents, translations and rotations by
forward kinematics; the channels are the file's numbers; folders keep their layout, a refused file
or a failed write leaves no archive behind, and the same input always gives the same bytes.

Usage: export_test.py VEXO SAMPLES_DIR CORPUS_DIR (a missing corpus is skipped)."""

import csv
import io
import os
import resource
import signal
import subprocess
import sys
import tempfile
import unittest
import zipfile

import numpy as np

VEXO, SAMPLES, CORPUS = sys.argv[1:4]
SAMPLE = os.path.join(SAMPLES, "walk.bvh")
ARRAYS = ["positions", "rotations", "translations", "offsets", "parents", "names", "end_sites",
          "channels", "channel_names", "channel_joints", "frame_time"]


def run(*arguments, **options):
    return subprocess.run([VEXO, *arguments], capture_output=True, text=True, **options)


def load(path):
    with np.load(path, allow_pickle=False) as archive:
        return {name: archive[name] for name in archive.files}


def export(bvh, output, *options):
    result = run("--export", output, *options, bvh)
    assert result.returncode == 0, result.stderr
    return load(output)


def bits(array):
    return np.ascontiguousarray(array, dtype=np.float32).view(np.uint32)


def printed_positions(bvh):
    rows = list(csv.reader(io.StringIO(run("--positions", bvh).stdout)))[1:]
    return np.array([[np.float32(float(v)) for v in row[3:]] for row in rows], dtype=np.float32)


def stored_values(bvh):
    with open(bvh, encoding="latin-1") as text:
        lines = text.read().splitlines()
    first = next(i for i, line in enumerate(lines) if line.strip().startswith("Frame Time:")) + 1
    return np.array([np.float32(float(v)) for line in lines[first:] for v in line.split()], dtype=np.float32)


def rotation_matrices(q):
    w, x, y, z = np.moveaxis(q.astype(np.float64), -1, 0)
    return np.stack([
        np.stack([1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)], -1),
        np.stack([2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)], -1),
        np.stack([2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)], -1)], -2)


def forward_kinematics(parents, translations, rotations):
    local = rotation_matrices(rotations)
    turn = np.empty_like(local)
    place = np.empty(translations.shape, dtype=np.float64)
    for j, parent in enumerate(parents):
        if parent < 0:
            turn[:, j], place[:, j] = local[:, j], translations[:, j]
        else:
            turn[:, j] = turn[:, parent] @ local[:, j]
            place[:, j] = place[:, parent] + np.einsum("fij,fj->fi", turn[:, parent], translations[:, j])
    return place


def random_motion(frames, seed=1):
    """Joints with every order of rotation channels and a position channel below the root; enough
    frames that each per-frame array spans several batches."""
    rng = np.random.default_rng(seed)
    text = ("HIERARCHY\nROOT Hips\n{\n OFFSET 1 2 3\n CHANNELS 6 Xposition Yposition Zposition Xrotation Zrotation Yrotation\n"
            " JOINT Spine\n {\n  OFFSET 0 10 0\n  CHANNELS 3 Yrotation Xrotation Zrotation\n"
            "  JOINT Head\n  {\n   OFFSET 0 5 1\n   CHANNELS 4 Zrotation Yposition Xrotation Yrotation\n"
            "   End Site\n   {\n    OFFSET 0 3 0\n   }\n  }\n }\n"
            " JOINT Leg\n {\n  OFFSET 4 -2 0\n  CHANNELS 2 Zrotation Xrotation\n   End Site\n   {\n    OFFSET 0 -9 0\n   }\n }\n}\n")
    values = rng.uniform(-180, 180, size=(frames, 15)).round(4)
    values[:, :3] = rng.uniform(-500, 500, size=(frames, 3)).round(3)
    body = "\n".join(" ".join(f"{v:g}" for v in row) for row in values)
    return text + f"MOTION\nFrames: {frames}\nFrame Time: 0.0083333\n{body}\n"


class ExportTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, relative, text):
        path = os.path.join(self.dir, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(text.encode("utf-8", "surrogateescape"))
        return path

    def assert_arrays(self, bvh, arrays):
        summary = dict(field.split("=") for field in run("--check", bvh).stdout.split(": ok: ")[1].split())
        frames, joints, channels = (int(summary[k]) for k in ("frames", "joints", "channels"))
        self.assertEqual(list(arrays), ARRAYS)
        shapes = {"positions": (frames, joints, 3), "rotations": (frames, joints, 4), "translations": (frames, joints, 3),
                  "offsets": (joints, 3), "parents": (joints,), "names": (joints,), "end_sites": (joints,),
                  "channels": (frames, channels), "channel_names": (channels,), "channel_joints": (channels,),
                  "frame_time": ()}
        for name, shape in shapes.items():
            self.assertEqual(arrays[name].shape, shape, name)
            self.assertEqual(arrays[name].dtype.kind, {"parents": "i", "channel_joints": "i", "end_sites": "b",
                                                        "names": "U", "channel_names": "U"}.get(name, "f"), name)
        self.assertTrue(np.array_equal(bits(arrays["positions"]).reshape(-1, 3), bits(printed_positions(bvh))))
        self.assertTrue(np.array_equal(bits(arrays["channels"]).ravel(), bits(stored_values(bvh))))
        parents = arrays["parents"]
        self.assertEqual(parents[0], -1)
        self.assertTrue(all(0 <= p < j for j, p in enumerate(parents[1:], 1)), "pre-order")
        self.assertEqual(int(arrays["end_sites"].sum()), int(summary["end_sites"]))
        np.testing.assert_allclose(np.linalg.norm(arrays["rotations"], axis=-1), 1, atol=1e-6)
        found = forward_kinematics(parents, arrays["translations"], arrays["rotations"])
        size = np.abs(arrays["positions"]).max() + np.linalg.norm(arrays["offsets"], axis=1).sum()
        self.assertLess(np.abs(found - arrays["positions"]).max(), 2e-6 * size)

    def test_every_array_of_the_sample_the_corpus_and_a_long_random_motion(self):
        motions = [SAMPLE, self.write("random.bvh", random_motion(30000))]
        if os.path.isdir(CORPUS):
            motions += sorted(os.path.join(CORPUS, f) for f in os.listdir(CORPUS) if f.endswith(".bvh"))
        for bvh in motions:
            with self.subTest(bvh=os.path.basename(bvh)):
                self.assert_arrays(bvh, export(bvh, os.path.join(self.dir, "out.npz")))

    def test_names_channels_and_frames_as_the_file_has_them(self):
        bvh = self.write("names.bvh", "HIERARCHY\nROOT H\u00fcfte:a\udcffb\n{\n OFFSET 0 0 0\n CHANNELS 2 Yrotation Custom\n"
                                      " End Site\n {\n  OFFSET 1 0 0\n }\n}\nMOTION\nFrames: 3\nFrame Time: 0.5\n"
                                      "90 1\n180 2\n-90 3\n")
        arrays = export(bvh, os.path.join(self.dir, "names.npz"))
        self.assertEqual(arrays["names"].tolist(), ["H\u00fcfte:a\udcffb", "Site"])
        self.assertEqual(arrays["channel_names"].tolist(), ["Yrotation", "Custom"])
        self.assertEqual(arrays["channel_joints"].tolist(), [0, 0])
        self.assertEqual(arrays["end_sites"].tolist(), [False, True])
        self.assertEqual(arrays["frame_time"], np.float32(0.5))
        half = np.sqrt(0.5)  # (w, x, y, z) of right-handed turns about y
        np.testing.assert_allclose(arrays["rotations"][:, 0], [[half, 0, half, 0], [0, 0, 1, 0], [half, 0, -half, 0]], atol=1e-7)
        np.testing.assert_allclose(arrays["positions"][:, 1], [[0, 0, -1], [-1, 0, 0], [0, 0, 1]], atol=1e-6)
        cut = export(bvh, os.path.join(self.dir, "cut.npz"), "--from", "2", "--to", "3")
        for name in ARRAYS:
            whole = arrays[name][1:3] if name in ("positions", "rotations", "translations", "channels") else arrays[name]
            self.assertTrue(np.array_equal(cut[name], whole), name)

    def test_deflated_archives_hold_the_same_arrays(self):
        bvh = self.write("random.bvh", random_motion(30000, seed=2))
        stored, packed = (os.path.join(self.dir, name) for name in ("stored.npz", "packed.npz"))
        arrays = export(bvh, stored)
        deflated = export(bvh, packed, "--compress")
        with zipfile.ZipFile(packed) as entries:
            self.assertEqual({entry.compress_type for entry in entries.infolist()}, {zipfile.ZIP_DEFLATED})
        self.assertLess(os.path.getsize(packed), os.path.getsize(stored))
        for name in ARRAYS:
            self.assertTrue(np.array_equal(deflated[name], arrays[name]), name)

    def test_a_folder_keeps_its_layout_and_a_refused_file_lets_the_others_go_on(self):
        data = os.path.join(self.dir, "data")
        one = self.write("data/sub/one.bvh", random_motion(30000, seed=3))
        self.write("data/Two.BVH", random_motion(5))
        broken = self.write("data/broken.bvh", "HIERARCHY\n")
        self.write("data/notes.txt", "not a motion")
        out = os.path.join(self.dir, "out")
        result = run("--export", out, data)
        self.assertEqual(result.returncode, 1)
        self.assertIn(run("--check", broken).stdout, result.stderr)
        written = sorted(os.path.relpath(os.path.join(d, f), out) for d, _, files in os.walk(out) for f in files)
        self.assertEqual(written, ["Two.npz", os.path.join("sub", "one.npz")])
        # Several files at a time, each on one core, give the bytes one file on every core gives:
        # nothing varies from run to run.
        alone = os.path.join(self.dir, "one.npz")
        export(one, alone)
        with open(alone, "rb") as a, open(os.path.join(out, "sub", "one.npz"), "rb") as b:
            self.assertEqual(a.read(), b.read())

        clash = run("--export", os.path.join(self.dir, "clash"), one, os.path.join(data, "Two.BVH"), SAMPLE,
                    os.path.join(data, "sub", "..", "sub", "one.bvh"))
        self.assertEqual(clash.returncode, 1)
        self.assertIn("is not exported: " + one + " is written to", clash.stderr)
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "clash"))), ["Two.npz", "one.npz", "walk.npz"])

    def test_an_output_that_cannot_be_written_leaves_nothing_and_says_where(self):
        taken = os.path.join(self.dir, "taken.npz")
        os.mkdir(taken)
        result = run("--export", taken, SAMPLE)
        self.assertEqual((result.returncode, result.stderr), (1, f"vexo: cannot write {taken}: a folder of that name is in the way\n"))

        def small_disk():  # as a full disk: writing past 64 KiB fails
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (65536, 65536))
        output = os.path.join(self.dir, "full.npz")
        result = run("--export", output, SAMPLE, preexec_fn=small_disk)
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.startswith(f"vexo: cannot write {output}: "), result.stderr)
        self.assertEqual(sorted(os.listdir(self.dir)), ["taken.npz"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
