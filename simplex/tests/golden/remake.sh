#!/usr/bin/env bash
# Remakes the expected results of the golden-file test (golden_test.cpp) with the simplexfit of
# a build: every job of jobs/ and of examples/raman/. jobs/ holds the jobs that the test
# suite's runs hand to simplexfit (named by a hash of their text).
#   simplex/tests/golden/remake.sh BUILD/bin
# Run it only with a build whose results are known to be right: the test then holds every
# later build to these bytes.
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../../examples/raman" && pwd)
rm -rf "$here/expected"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for job in "$here"/jobs/*.pfc "$examples"/*.pfc; do
  case $job in "$examples"/*) name=examples_$(basename "$job" .pfc) ;; *) name=$(basename "$job" .pfc) ;; esac
  rm -rf "$work"/*
  cp "$job" "$work/fit.pfc"
  rc=0
  (cd "$work" && "$bin/simplexfit" > console 2> errors) || rc=$?
  dest="$here/expected/$name"
  mkdir -p "$dest"
  { echo "exit $rc"; cat "$work/errors"; } > "$dest/status"
  for f in out.txt fit.spc new.pfc; do [ -e "$work/$f" ] && cp "$work/$f" "$dest/$f"; done
done
echo "expected results of $(ls "$here/expected" | wc -l) jobs in $here/expected"
