#!/usr/bin/env bash
# Sanitizer check: builds every test program, the programs they drive and the fuzz targets with
# clang, AddressSanitizer and UndefinedBehaviorSanitizer (any report is fatal), runs the unit and
# GL tests with leak checking (but those labelled "large", which the plain build runs), runs the GUI
# tests, then fuzzes every target for SECONDS (default 60; 0 skips fuzzing) from a scratch copy of
# its seeds and regressions.
#
#   .ci/sanitize.sh [SECONDS]
#
# Silent on success. On failure it prints the tail of the failing step's log and exits non-zero;
# crashing inputs are kept in BUILD/fuzz-artifacts. Environment: VEXO_SANITIZE_BUILD (build
# directory, default build/sanitize), VEXO_JOBS (parallel jobs, default 2), CC/CXX (default clang).
#
# Leaks. The unit and GL tests run with LeakSanitizer and .ci/lsan.supp, which names only
# third-party libraries. Mesa unloads its DRI driver when the offscreen display is terminated at
# exit; what the driver still holds then looks leaked from a module that no longer exists, which
# no suppression can name, so the driver is preloaded to stay resident. The GUI tests run the
# programs under X with ASan and UBSan but without leak checking: FLTK, Xlib, fontconfig and GTK
# are built without frame pointers, so LeakSanitizer's stacks end in the library and cannot tell
# their leaks from ours (and its slow unwinder deadlocks inside dlopen). The GUI session's leaks
# are judged with full stacks by scripts/valgrind-session instead. The installed tree's test runs
# the thumbnailer in a sandbox that the suppressions and the preloaded driver cannot reach, so it
# goes with the GUI tests.
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

check=sanitize
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VEXO_SANITIZE_BUILD:-$repo/build/sanitize}"
source "$repo/.ci/checked-build.sh"
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/vexo-sanitize.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

asan_options="strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

# RelWithDebInfo without its NDEBUG: the code's assertions are checked too.
step configure cmake -S "$repo" -B "$build" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVEXO_BUILD_TESTS=ON -DVEXO_BUILD_BENCH=OFF -DVEXO_FUZZ=ON
step build cmake --build "$build" -j "$jobs"

dri_driver="$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)"
leak_checked=(env ASAN_OPTIONS="${ASAN_OPTIONS:-$asan_options:detect_leaks=1}"
              LSAN_OPTIONS="suppressions=$repo/.ci/lsan.supp:print_suppressions=0" LD_PRELOAD="$dri_driver")
step ctest "${leak_checked[@]}" ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE "gui|sandbox|large"
step ctest-gui env ASAN_OPTIONS="${ASAN_OPTIONS:-$asan_options:detect_leaks=0}" \
  ctest --test-dir "$build" --output-on-failure -j "$jobs" -L "gui|sandbox"

[ "$seconds" -gt 0 ] || exit 0
mkdir -p "$build/fuzz-artifacts"
for dir in "$repo"/tests/fuzz/*/; do
  name="$(basename "$dir")"
  [ -d "$dir/seeds" ] || continue
  target="$build/tests/fuzz/fuzz_$name"
  [ -x "$target" ] || { echo "sanitize: fuzz target $target was not built" >&2; exit 1; }
  corpus="$scratch/$name"
  mkdir -p "$corpus"
  cp "$dir"/seeds/* "$corpus"/
  find "$dir/regressions" -type f ! -name README.md -exec cp {} "$corpus"/ \; 2>/dev/null || true
  options=(-max_total_time="$seconds" -timeout=2 -rss_limit_mb=1024 -print_final_stats=1
           -artifact_prefix="$build/fuzz-artifacts/$name-")
  [ -f "$dir/$name.dict" ] && options+=(-dict="$dir/$name.dict")
  if [ -f "$dir/options" ]; then
    read -r -a extra <"$dir/options"
    options+=("${extra[@]}")
  fi
  step "fuzz-$name" "${leak_checked[@]}" "$target" "${options[@]}" "$corpus"
done
