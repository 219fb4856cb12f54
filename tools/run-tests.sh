#!/usr/bin/env bash
# Builds everything and runs every test, then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs="$(nproc)"

# The tree stays in the repository's format; a file out of it fails the run.
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' \
    | xargs -0 clang-format --dry-run -Werror

# The corpus lies beside the repository; without it its tests are skipped.
if [ ! -d ../shared/corpus ]; then
    echo "Note: ../shared/corpus is absent; the corpus tests are skipped."
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMV_WERROR=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMV_SANITIZE=ON -DMV_BUILD_BENCH=OFF -DMV_WERROR=ON
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$(pwd)/tools/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$jobs")

# Each fuzz target for 30 seconds; any finding fails the run.
bash tools/fuzz.sh 30
