#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, then the unit tests and the
# whole-game runs again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzz targets.
#
#   scripts/test.sh           everything, as CI runs it
#   scripts/test.sh AREA      one area's tests (a folder of tests/: board, runtime,
#                             romset, video, sound, game, host), optimised and then
#                             under the sanitizers; no fuzz targets
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
area=${1:-}
if [ -n "$area" ] && { [ "$area" != "${area//[^a-z0-9]/}" ] || [ ! -d "$root/tests/$area" ]; }; then
  echo "usage: scripts/test.sh [board|runtime|romset|video|sound|game|host|whole]" >&2
  exit 1
fi
"$root/scripts/deps.sh"

passed=0
failed=0
skipped=0
status=0
# run_ctest DIR ARGS...: runs ctest and adds its counts to the totals.
run_ctest() {
  local dir=$1; shift
  local log
  log=$(mktemp)
  set +e
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 1200 "$@") 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line total bad skip
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  # Skipped tests (reference data missing) are listed by ctest under "did not run".
  skip=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log" || true)
  if [ -n "$line" ]; then
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    passed=$((passed + total - bad - skip))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
  fi
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
}

# build DIR: the whole tree, or with an area only the targets of its test folder.
build() {
  if [ -n "$area" ]; then
    make -C "$1/tests/$area" -j"$jobs" --no-print-directory
  else
    cmake --build "$1" -j"$jobs"
  fi
}
tests_of() { echo "$1${area:+/tests/$area}"; }

echo "== optimised build"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
build "$root/build"
echo "== every test${area:+ of $area}"
run_ctest "$(tests_of "$root/build")" -LE fuzz

echo "== unit tests and game runs${area:+ of $area} under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DIRONBELL_SANITIZE=ON \
      -DIRONBELL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1 >/dev/null
build "$root/build-asan"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  run_ctest "$(tests_of "$root/build-asan")" -L '^(unit|game_run)$'

if [ -n "$area" ]; then
  echo "ironbell: $passed passed, $failed failed, $skipped skipped"
  exit $status
fi

echo "== fuzz targets"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
      -DIRONBELL_FUZZ=ON -DIRONBELL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1 \
      -DIRONBELL_FUZZ_SECONDS="${IRONBELL_FUZZ_SECONDS:-10}" >/dev/null
cmake --build "$root/build-fuzz" --target fuzz_all -j"$jobs"
run_ctest "$root/build-fuzz" -L fuzz

echo "ironbell: $passed passed, $failed failed, $skipped skipped"
exit $status
