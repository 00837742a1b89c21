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
"$OLDPWD/build/bin/xZentrab" demo.pfc
echo
echo "== Peak areas (from out.txt) =="
sed -n '/\*\*\* Peak area/,$p' out.txt
