#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) in
# build-fuzz/, makes their seed corpora and runs every target (or the ones named) one after
# another, each for a fixed time or number of executions. Prints one line per target with the
# executions, the time, the corpus size and the coverage reached (libFuzzer's cov and ft), and
# ends with status 1 when a target found a crash, a hang, a leak or a sanitizer report (the
# input is kept in build-fuzz/findings/).
#
# Usage: scripts/fuzz.sh [--time SECONDS] [--runs N] [--nice] [TARGET...]
#   --time SECONDS  time per target (default 20)
#   --runs N        stop a target after N executions instead (its time limit is then 24 hours
#                   unless --time is also given)
#   --nice          run the targets under nice -n 19
# The corpus of each target grows in build-fuzz/corpus/<target>/ from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

time_per_target=20
runs=
time_given=
nice_cmd=()
targets=()
while (($#)); do
  case $1 in
    --time) time_per_target=$2; time_given=1; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --nice) nice_cmd=(nice -n 19); shift ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ -n "$runs" ] && [ -z "$time_given" ]; then time_per_target=86400; fi

all_targets=(read_data_file fitter_job simplex_job zentrab_pfc raman_pfc profile mevlo_tidy drupa_names)
((${#targets[@]})) || targets=("${all_targets[@]}")

# Longest input per target: enough for every header and a few hundred points.
max_len() {
  case $1 in
    read_data_file) echo 16384 ;; fitter_job|zentrab_pfc) echo 65536 ;; simplex_job|raman_pfc) echo 16384 ;;
    profile) echo 4096 ;; *) echo 1024 ;;
  esac
}

build=build-fuzz
cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2; exit 1; fi
generator=()
if [ ! -f $build/CMakeCache.txt ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B $build "${generator[@]}" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBALIMOR_FUZZ=ON -DBALIMOR_BENCHMARKS=OFF >/dev/null
cmake --build $build -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

bash scripts/fuzz-seeds.sh $build/seeds
mkdir -p $build/findings $build/logs
# Scratch files of the targets in memory where possible; removed at the end.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/balimor-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:symbolize=1}
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && command -v llvm-symbolizer-14 >/dev/null; then
  export ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer-14)
fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
passed=0
printf '%-16s %12s %8s %8s %8s %8s %10s  %s\n' target execs seconds corpus cov ft exec/s result
report=()
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  mkdir -p "$corpus"
  log=$build/logs/$t.log
  args=(-max_total_time="$time_per_target" -max_len="$(max_len "$t")" -timeout=10
        -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1
        -artifact_prefix="$root/$build/findings/$t-")
  [ -n "$runs" ] && args+=(-runs="$runs")
  start=$(date +%s)
  status=0
  TMPDIR=$scratch "${nice_cmd[@]}" "$build/bin/fuzz_$t" "${args[@]}" "$corpus" "$build/seeds/$t" \
    >"$log" 2>&1 || status=$?
  seconds=$(($(date +%s) - start))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(find "$corpus" -type f | wc -l)
  if ((status == 0)); then
    result=ok
    passed=$((passed + 1))
  else
    result="FINDING (status $status, log $log)"
    failed=$((failed + 1))
  fi
  line=$(printf '%-16s %12s %8s %8s %8s %8s %10s  %s' "$t" "${execs:-?}" "$seconds" "$units" \
    "${cov:-?}" "${ft:-?}" "${rate:-?}" "$result")
  echo "$line"
  report+=("$line")
  if ((status != 0)); then
    grep -E 'ERROR|runtime error|property failed|SUMMARY|Test unit written' "$log" | head -20 | sed 's/^/    /'
  fi
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
