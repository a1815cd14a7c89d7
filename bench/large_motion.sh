# Sourced by the benchmarks of a large motion, after `build` and `file` are set: makes `scratch`, a
# folder removed at exit, and when no FILE was given sets `file` to the ~100 MB motion that
# `load_benchmark --write` makes there.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -z "$file" ]; then
  file=$scratch/large.bvh
  "$build/bench/load_benchmark" --write "$file" >/dev/null
fi
