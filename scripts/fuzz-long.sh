#!/usr/bin/env bash
# A long local fuzz run: every target (or the ones named) one after another under nice -n 19,
# each until 10 million executions or 30 minutes, whichever comes first, with the corpus kept
# in build-fuzz/corpus/ from run to run. Reports per target the executions, the time, the
# corpus size and the coverage reached (libFuzzer's cov and ft), and keeps that table in
# build-fuzz/logs/long-<date>.txt. Ends with status 1 when a target found something.
# Usage: scripts/fuzz-long.sh [--runs N] [--time SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=10000000
seconds=1800
while (($#)); do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --time) seconds=$2; shift 2 ;;
    *) break ;;
  esac
done
mkdir -p build-fuzz/logs
summary=build-fuzz/logs/long-$(date +%Y%m%d-%H%M%S).txt
status=0
bash scripts/fuzz.sh --nice --runs "$runs" --time "$seconds" "$@" 2>&1 | tee "$summary" || status=$?
echo "fuzz-long: table kept in $summary"
exit "$status"
