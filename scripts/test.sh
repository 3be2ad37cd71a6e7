#!/usr/bin/env bash
# Sets up, builds and passes every test: the suites, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The suites' build carries no debug information: a failure's file and line come from the
# sanitizer build below, and leaving it out takes a fifth off the compile.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" >/dev/null
bash scripts/build.sh

stage() { echo "test.sh: $1 after $SECONDS s"; }
summary() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -1; }
log=$(mktemp -d)
stage "set-up and build"
(cd build && ctest --output-on-failure -j2 | tee "$log/plain.txt")
stage "the suites"

# The sanitizer build: clang, ASan + UBSan, with coverage instrumentation for the fuzz targets.
# Line tables are all its reports need for a file and line, at less compile time than full
# debug information.
CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-gline-tables-only" \
  -DSHOWFORGE_SANITIZE=ON -DSHOWFORGE_FUZZ=ON -DSHOWFORGE_BENCH=OFF >/dev/null
ninja -C build-san
stage "the sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
(cd build-san && ctest --output-on-failure -j2 | tee "$log/san.txt")
stage "the suites under sanitizers"

# The suites whose work runs on several threads, under ThreadSanitizer: Increase show's walk
# ahead (its sprinkler on every fast path) and the flash renderer's bands (large frames drawn in
# bands on several threads, layers shared by the bands, frames drawn on several threads at once).
# Only those two test programs are built; test_swf adds about 50 s of build and 4 s of tests.
CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOWFORGE_TSAN=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" -DSHOWFORGE_BENCH=OFF >/dev/null
ninja -C build-tsan test_transitions test_swf
tsan="halt_on_error=1 second_deadlock_stack=1"
TSAN_OPTIONS=$tsan build-tsan/tests/test_transitions --gtest_filter='DitherFamily.*' | tail -3
TSAN_OPTIONS=$tsan build-tsan/tests/test_swf --gtest_filter='SwfRaster.*Bands*' | tail -3
stage "the threaded suites under ThreadSanitizer"

# Each fuzz target for a bounded time, two at a time (one per core). A decompression bomb fails
# like a crash: no input may make a target claim more than 512 MB at once or hold 1 GB.
# Ten seconds each, two at a time, keeps the twenty targets near two minutes; FUZZ_SECONDS runs them longer.
seconds=${FUZZ_SECONDS:-10}
fuzzed=0
fuzz_one() {  # target: runs it on its seeds in a corpus folder of its own
  local target=$1 name=${1##*/fuzz_}
  local corpus="$log/corpus-$name"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  # Seeds too large to keep in the repository are made here, where a target has a script for them.
  if [ -f "fuzz/seeds-$name.sh" ] && ! bash "fuzz/seeds-$name.sh" build-san "$corpus" >"$log/seeds-$name.txt" 2>&1; then
    echo "fuzz: the seeds of $name could not be made"
    tail -20 "$log/seeds-$name.txt"
    return 1
  fi
  if "$target" -max_total_time="$seconds" -malloc_limit_mb=512 -rss_limit_mb=1024 -print_final_stats=1 \
    "$corpus" >"$log/fuzz-$name.txt" 2>&1; then
    echo "fuzz: $name clean for ${seconds}s, peak $(grep -Eo 'stat::peak_rss_mb: *[0-9]+' "$log/fuzz-$name.txt" | grep -Eo '[0-9]+$') MB"
  else
    echo "fuzz: $name FAILED"
    tail -50 "$log/fuzz-$name.txt"
    return 1
  fi
}
targets=()
for target in build-san/fuzz/fuzz_*; do [ -f "$target" ] && [ -x "$target" ] && targets+=("$target"); done
failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  fuzz_one "${targets[i]}" & first=$!
  second=""
  if ((i + 1 < ${#targets[@]})); then fuzz_one "${targets[i + 1]}" & second=$!; fi
  wait "$first" || failed=1
  [ -z "$second" ] || wait "$second" || failed=1
done
((failed == 0)) || exit 1
fuzzed=${#targets[@]}
stage "fuzzing"

read -r pf _ _ _ _ pt < <(summary "$log/plain.txt")
read -r sf _ _ _ _ st < <(summary "$log/san.txt")
echo "suites: $((pt - pf)) passed, $pf failed; under sanitizers: $((st - sf)) passed, $sf failed; fuzz targets clean: $fuzzed"
echo "all: $((pt - pf + st - sf + fuzzed)) passed, $((pf + sf)) failed"
