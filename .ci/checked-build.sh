# What the checked builds (.ci/sanitize.sh, .ci/tsan.sh) share, sourced by each after it has set
# `check` (its name in messages) and `build` (its build directory): the compilers (CC/CXX, default
# clang), the parallel jobs (VEXO_JOBS, default 2), the generator, and step, which runs a command
# with its output in a log and shows the log's tail only when the command fails.
jobs="${VEXO_JOBS:-2}"
cc="${CC:-clang}"
cxx="${CXX:-clang++}"
for tool in cmake "$cc" "$cxx"; do
  command -v "$tool" >/dev/null || { echo "$check: $tool not found" >&2; exit 1; }
done
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
mkdir -p "$build"

step() {
  local name="$1"
  shift
  local log="$build/$name.log"
  if ! "$@" >"$log" 2>&1; then
    echo "$check: $name failed (full log: $log)" >&2
    tail -n 80 "$log" >&2
    exit 1
  fi
}
