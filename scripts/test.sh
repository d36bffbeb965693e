#!/usr/bin/env bash
# Builds the tool and runs every test: once in a plain build, once built with
# AddressSanitizer and UndefinedBehaviorSanitizer (a report fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

echo "== plain build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

echo "== sanitizer build (address, undefined)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELTA_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

echo "== fuzzers (clang, libFuzzer, address + undefined + leak), short runs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELTA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs"
# The controller's replies, then the tracking programs' request lines.
for run in "fuzz_replies ${FUZZ_SECONDS:-30}" "fuzz_lines ${FUZZ_LINES_SECONDS:-5}"; do
  read -r fuzzer seconds <<<"$run"
  corpus=$(mktemp -d /tmp/velta-fuzz.XXXXXX)
  if [[ $fuzzer == fuzz_replies ]]; then cp tests/fuzz/seeds/* "$corpus"/ 2>/dev/null || true; fi
  echo "$fuzzer, $seconds s:"
  (cd "$corpus" && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$OLDPWD/tests/lsan.supp" \
    "$OLDPWD/build-fuzz/tests/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 . 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss|==.*ERROR|SUMMARY)' || true)
  # A crash, a sanitizer report or a hang leaves an artifact behind.
  if ls "$corpus"/crash-* "$corpus"/leak-* "$corpus"/timeout-* >/dev/null 2>&1; then
    echo "$fuzzer found a failing input in $corpus"; exit 1
  fi
done
echo "fuzz: no crash, no sanitizer report, no hang"
