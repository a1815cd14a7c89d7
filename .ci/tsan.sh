#!/usr/bin/env bash
# ThreadSanitizer check of the code that starts threads: builds with clang and -fsanitize=thread the
# test programs that exercise it (the reader's frame shares and the thread rule in motion_tests and
# platform_core_tests; the ordered batches, --positions, --check of folders and --render's pictures
# drawn while the last is written, in commands_tests, with the vexo they run), and runs those tests.
# Any report is fatal. Assertions stay on.
#
#   .ci/tsan.sh
#
# Silent on success. On failure it prints the tail of the failing step's log and exits non-zero.
# Environment: VEXO_TSAN_BUILD (build directory, default build/tsan), VEXO_JOBS (parallel jobs,
# default 2), CC/CXX (default clang).
set -euo pipefail

check=tsan
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VEXO_TSAN_BUILD:-$repo/build/tsan}"
source "$repo/.ci/checked-build.sh"
flags="-fsanitize=thread -fno-omit-frame-pointer -O1"

step configure cmake -S "$repo" -B "$build" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DVEXO_BUILD_TESTS=ON -DVEXO_BUILD_BENCH=OFF
step build cmake --build "$build" -j "$jobs" --target motion_tests platform_core_tests commands_tests

# A report ends the test program (and vexo run by a test) with a failure. The suppressions name
# third-party libraries only.
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$repo/.ci/tsan.supp}"
step motion-tests "$build/tests/motion/motion_tests"
step platform-core-tests "$build/tests/platform/platform_core_tests"
step commands-tests "$build/tests/commands/commands_tests" \
  --gtest_filter='OrderedBatches.*:CommandLine.Positions*:CommandLine.Check*:Pictures.Render*:Clips.*'
