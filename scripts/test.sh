#!/usr/bin/env bash
# Sets up, builds and passes every test: the suites, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

summary() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -1; }
log=$(mktemp -d)
(cd build && ctest --output-on-failure -j2 | tee "$log/plain.txt")

# The sanitizer build: clang, ASan + UBSan, with coverage instrumentation for the fuzz targets.
CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSHOWFORGE_SANITIZE=ON \
  -DSHOWFORGE_FUZZ=ON -DSHOWFORGE_BENCH=OFF >/dev/null
ninja -C build-san
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-san && ctest --output-on-failure -j2 | tee "$log/san.txt")

seconds=${FUZZ_SECONDS:-30}
fuzzed=0
for target in build-san/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  corpus="$log/corpus-$name"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" 2>"$log/fuzz-$name.txt" ||
    { tail -50 "$log/fuzz-$name.txt"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$log/fuzz-$name.txt" | tail -1 || true
  fuzzed=$((fuzzed + 1))
done

read -r pf _ _ _ _ pt < <(summary "$log/plain.txt")
read -r sf _ _ _ _ st < <(summary "$log/san.txt")
echo "suites: $((pt - pf)) passed, $pf failed; under sanitizers: $((st - sf)) passed, $sf failed; fuzz targets clean: $fuzzed"
echo "all: $((pt - pf + st - sf + fuzzed)) passed, $((pf + sf)) failed"
