#!/usr/bin/env bash
# Set-up, build, and the demo fit: balimor-cli loads the bundled diffraction scan as the
# workbench does, searches its peaks, fits them with xZentrab and prints the peak areas.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/diffraction/demo.txt "$work/"
export BALIMOR_INI="$work/Balimor.INI"
cli="$PWD/build/bin/balimor-cli"
echo "== peak search of demo.txt (threshold 300) =="
"$cli" search "$work/demo.txt" --threshold 300
echo
echo "== balimor-cli fit --search: xZentrab on demo.txt (the whole run log is demo#0.out) =="
"$cli" fit "$work/demo.txt" --search --threshold 300 2> "$work/console.txt"
grep -E 'Start cycle|Converged' "$work/console.txt" | tail -n 3
