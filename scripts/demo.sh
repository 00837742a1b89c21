#!/usr/bin/env bash
# Set-up, build, and the demo fit: xZentrab fits the bundled diffraction job and prints its peak areas.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/diffraction/demo.pfc "$work/"
cd "$work"
echo "== xZentrab demo.pfc (the whole run log is out.txt) =="
"$OLDPWD/build/bin/xZentrab" demo.pfc > console.txt
grep -E 'Title:|Number of (data|parameters)|Start cycle|Converged|Save new' out.txt
echo
sed -n '/\*\*\* Peak area/,$p' out.txt
