#!/usr/bin/env bash
# The random technician, longer than CI runs it: RUNS runs (default 20) with
# fresh seeds, one line per run, then "N passed, M failed". A failing run
# prints its seed and the actions it took; --seed S replays that run.
#
#   bash scripts/soak.sh [RUNS] [--actions N] [--seed S]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=20 actions=300 seeds=()
while (($#)); do
  case "$1" in
    --seed) seeds+=("$2"); shift 2 ;;
    --actions) actions="$2"; shift 2 ;;
    *) runs="$1"; shift ;;
  esac
done
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target test_soak cbox-sim >/dev/null
if ((${#seeds[@]} == 0)); then
  for ((i = 0; i < runs; i++)); do seeds+=("$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')"); done
fi
passed=0 failed=0
for seed in "${seeds[@]}"; do
  start=$(date +%s)
  if out=$(QT_QPA_PLATFORM=offscreen SOAK_SEEDS="$seed" SOAK_ACTIONS="$actions" build/tests/test_soak random_technician 2>&1); then
    passed=$((passed + 1))
    echo "seed $seed: passed in $(($(date +%s) - start)) s"
  else
    failed=$((failed + 1))
    echo "seed $seed: FAILED (replay: bash scripts/soak.sh --seed $seed --actions $actions)"
    echo "$out" | grep -vE '^(PASS|QWARN|QDEBUG|Config|\*\*\*)' | sed 's/^/    /'
  fi
done
echo "$passed passed, $failed failed"
((failed == 0))
