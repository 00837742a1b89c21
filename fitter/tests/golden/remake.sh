#!/usr/bin/env bash
# Remakes the expected results of the golden-file test (golden_test.cpp) with the fitters of
# a build: every job of jobs/ and of examples/diffraction/, run by xZentrab and by Zentrab with
# the default method. jobs/ holds the diffraction jobs that the test suite's runs hand to the
# fitters (named by a hash of their text); adaptive jobs are left out, since that method's
# results may change while the default method's must not.
#   fitter/tests/golden/remake.sh BUILD/bin
# Run it only with a build whose results are known to be right: the test then holds every
# later build to these bytes.
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../../examples/diffraction" && pwd)
rm -rf "$here/expected"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for job in "$here"/jobs/*.pfc "$examples"/*.pfc; do
  case $job in "$examples"/*) name=examples_$(basename "$job" .pfc) ;; *) name=$(basename "$job" .pfc) ;; esac
  for prog in xZentrab Zentrab; do
    rm -rf "$work"/*
    cp "$job" "$work/job.pfc"
    rc=0
    (cd "$work" && "$bin/$prog" job.pfc > console 2> errors) || rc=$?
    dest="$here/expected/$name/$prog"
    mkdir -p "$dest"
    { echo "exit $rc"; cat "$work/errors"; } > "$dest/status"
    for f in out.txt new.pfc; do [ -e "$work/$f" ] && cp "$work/$f" "$dest/$f"; done
  done
done
echo "expected results of $(ls "$here/expected" | wc -l) jobs in $here/expected"
