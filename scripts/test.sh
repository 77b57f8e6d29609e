#!/usr/bin/env bash
# Installs what is missing, checks the tracked C++ files' format, builds, runs
# every test, then the unit tests and the whole-game runs again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets.
#
#   scripts/test.sh           everything, as CI runs it
#   scripts/test.sh AREA      one area's tests (a folder of tests/: board, runtime,
#                             romset, video, sound, game, host), optimised and then
#                             under the sanitizers; no fuzz targets
#
# IRONBELL_JOBS=N limits the parallel build and test jobs (default: one per core).
# The summary at the end lists each skipped test with the reason it gave.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${IRONBELL_JOBS:-$(nproc)}
if [ "$jobs" != "${jobs//[^0-9]/}" ] || [ -z "$jobs" ] || [ "$jobs" -eq 0 ]; then
  echo "IRONBELL_JOBS must be a number of jobs, 1 or more, not '$jobs'" >&2
  exit 1
fi
area=${1:-}
if [ -n "$area" ] && { [ "$area" != "${area//[^a-z0-9]/}" ] || [ ! -d "$root/tests/$area" ]; }; then
  echo "usage: scripts/test.sh [board|runtime|romset|video|sound|game|host|whole]" >&2
  exit 1
fi
"$root/scripts/deps.sh"

# check_format: every tracked .h and .cpp file must be what clang-format-14 (the
# version Debian 12 installs; another version lays some lines out otherwise)
# makes of it with the tree's .clang-format. Run before the build, so a slip
# shows in seconds; the files that differ are listed with the command that
# fixes them.
check_format() {
  if [ ! -e "$root/.git" ]; then
    echo "not a git work tree: the format of the tracked files is not checked"
    return 0
  fi
  local report rc=0
  report=$(cd "$root" && git ls-files -z -- '*.h' '*.cpp' |
           xargs -0 -r clang-format-14 --style=file --dry-run --Werror 2>&1) || rc=$?
  [ "$rc" -eq 0 ] && return 0
  local files
  files=$(echo "$report" | sed -nE 's/^(.+\.(h|cpp)):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' |
          sort -u)
  if [ -z "$files" ]; then
    echo "$report" >&2
    echo "clang-format-14 failed on the tracked files (above)" >&2
    exit 1
  fi
  echo "These files differ from what clang-format-14 makes of them with .clang-format:" >&2
  echo "$files" | sed 's/^/  /' >&2
  echo "Fix each with: clang-format-14 -i FILE, here:" >&2
  echo "  clang-format-14 -i" $files >&2
  exit 1
}
echo "== format"
check_format

passed=0
failed=0
skipped=0
status=0
stage=""
skip_notes=$(mktemp)
trap 'rm -f "$skip_notes"' EXIT

# skip_reasons CONSOLE LOG: "NAME: REASON" for each test that ctest's output
# CONSOLE lists as skipped, the reason being the message of its GTEST_SKIP, on
# one line, from ctest's LOG of every test's whole output.
skip_reasons() {
  awk '
    FNR == NR {
      if ($0 ~ /^[[:space:]]*[0-9]+ - .* \(Skipped\)$/) {
        n = $0
        sub(/^[[:space:]]*[0-9]+ - /, "", n)
        sub(/ \(Skipped\)$/, "", n)
        skipped[n] = 1
      }
      next
    }
    /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); collecting = 0; next }
    /^\[  SKIPPED \] / && collecting { collecting = 0; reason[name] = text; next }
    collecting { text = text (text == "" ? "" : " ") $0; next }
    /:[0-9]+: Skipped$/ { collecting = 1; text = "" }
    END {
      for (n in skipped) print n ": " ((n in reason) && reason[n] != "" ? reason[n] : "(no reason given)")
    }' "$1" "$2" | sort
}

# run_ctest DIR ARGS...: runs ctest and adds its counts, and its skipped tests'
# reasons, to the totals.
run_ctest() {
  local dir=$1; shift
  local log
  log=$(mktemp)
  # ctest keeps every test's whole output here; the reasons are read from it.
  rm -f "$dir/Testing/Temporary/LastTest.log"
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
  if [ "$skip" -gt 0 ] && [ -f "$dir/Testing/Temporary/LastTest.log" ]; then
    skip_reasons "$log" "$dir/Testing/Temporary/LastTest.log" | sed "s/^/  ($stage) /" >>"$skip_notes"
  fi
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
}

summary() {
  echo "ironbell: $passed passed, $failed failed, $skipped skipped"
  if [ -s "$skip_notes" ]; then
    echo "skipped:"
    cat "$skip_notes"
  fi
}

# build DIR: the whole tree, or with an area only the targets of its test folder
# (the aggregate target tests_AREA of tests/CMakeLists.txt).
build() {
  cmake --build "$1" -j"$jobs" ${area:+--target "tests_$area"}
}
tests_of() { echo "$1${area:+/tests/$area}"; }

echo "== optimised build"
# The benchmarks are built here; scripts/run.sh, sharing build/, turns them off
# for its own configuration, so each script says what it needs.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIRONBELL_BENCH=ON \
      -DIRONBELL_SANITIZE=OFF -DIRONBELL_FUZZ=OFF >/dev/null
build "$root/build"
echo "== every test${area:+ of $area}"
stage=optimised
run_ctest "$(tests_of "$root/build")" -LE fuzz

echo "== unit tests and game runs${area:+ of $area} under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DIRONBELL_SANITIZE=ON \
      -DIRONBELL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1 >/dev/null
build "$root/build-asan"
stage=sanitizers
# Leaks are checked too: every process's exit reports what nothing reaches.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_ctest "$(tests_of "$root/build-asan")" -L '^(unit|game_run)$'

if [ -n "$area" ]; then
  summary
  exit $status
fi

echo "== fuzz targets"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
      -DIRONBELL_FUZZ=ON -DIRONBELL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1 \
      -DIRONBELL_FUZZ_SECONDS="${IRONBELL_FUZZ_SECONDS:-10}" >/dev/null
cmake --build "$root/build-fuzz" --target fuzz_all -j"$jobs"
stage=fuzz
run_ctest "$root/build-fuzz" -L fuzz

summary
exit $status
