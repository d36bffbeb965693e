#!/usr/bin/env bash
# Builds the tool and runs every benchmark of bench/ against the simulator,
# then prints their figures as one table. The benchmarks' own reports are
# kept in build/bench-report.txt.
#   bash scripts/bench.sh [FLOOD_SECONDS] [PASS_SECONDS]   (default 60 and 900)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target bench_link bench_read_info bench_monitor bench_tracking bench_pass cbox-sim >/dev/null
export QT_QPA_PLATFORM=offscreen
report=build/bench-report.txt
: > "$report"
for b in bench_link bench_read_info "bench_monitor ${1:-60} 10" bench_tracking "bench_pass ${2:-900}"; do
  echo "== $b" >> "$report"
  # shellcheck disable=SC2086
  ./build/bench/$b >> "$report" 2>&1
done
grep -v '^ROW' "$report" | grep -v -e '^QStandardPaths' -e 'propagateSizeHints' || true
echo
echo "| Figure | Measured |"
echo "|---|---|"
grep '^ROW' "$report" | awk -F'\t' '{ printf "| %s | %s |\n", $2, $3 }'
