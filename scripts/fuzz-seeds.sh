#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets in OUTDIR/<target>/ from the bundled examples, the
# hand-written seeds of fuzz/seeds/ and, when present, the real instrument files of
# ../shared/realdata/ (read in place, never copied into the repository).
# Usage: scripts/fuzz-seeds.sh OUTDIR
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/fuzz-seeds.sh OUTDIR}
realdata=${BALIMOR_REALDATA_DIR:-../shared/realdata}
maxbytes=65536

rm -rf "$out"
for t in read_data_file fitter_job simplex_job zentrab_pfc raman_pfc profile mevlo_tidy drupa_names; do
  mkdir -p "$out/$t"
done

n=0
# seed TARGET FILE [PREFIX-BYTES]: the file's first $maxbytes bytes, after the prefix bytes.
seed() {
  local target=$1 file=$2 prefix=${3:-}
  n=$((n + 1))
  { printf "$prefix"; head -c "$maxbytes" "$file"; } > "$out/$target/seed-$n"
}

# Row of fuzz_read_data_file's table for a file name (the first byte of its input picks it).
row_of() {
  local name=${1##*/} ext
  ext=${name##*.}
  [[ $name == *.* ]] || { echo 24; return; }
  case ${ext,,} in
    csv) echo 0 ;; ras) echo 1 ;; ir) echo 2 ;; asc) echo 3 ;; mrd) echo 4 ;;
    x[0-9][0-9]) echo 5 ;; od) echo 7 ;; qe) echo 8 ;; qe*) echo 9 ;; txt) echo 10 ;;
    dat) echo 12 ;; ram) echo 13 ;; rmn) echo 14 ;; [0-9]*) echo 15 ;; xdt) echo 18 ;;
    xrd) echo 19 ;; int) echo 20 ;; pat) echo 21 ;; xy) echo 29 ;; xye) echo 30 ;; tsv) echo 31 ;;
    prn) echo 32 ;; *) echo 22 ;;
  esac
}

data_files=()
while IFS= read -r -d '' f; do data_files+=("$f"); done < <(
  { find fuzz/seeds/read_data_file examples -type f -print0
    if [ -d "$realdata" ]; then find "$realdata" -type f ! -name README.md -print0; fi; } 2>/dev/null)
for f in "${data_files[@]}"; do
  r=$(row_of "$f")
  seed read_data_file "$f" "$(printf '\\x%02x\\x01' "$r")"
  # Text files also go through the text data command, intensity files through the Rietan one,
  # both and the column files through the column import.
  case ${f,,} in
    *.txt) seed read_data_file "$f" '\x19\x01'; seed read_data_file "$f" '\x21\x00' ;;
    *.int) seed read_data_file "$f" '\x1b\x01'; seed read_data_file "$f" '\x21\x00' ;;
    *.xy | *.xye | *.tsv | *.prn | *.csv | *.dat) seed read_data_file "$f" '\x21\x00' ;;
  esac
  seed mevlo_tidy "$f"
done

for f in examples/diffraction/*.pfc fuzz/seeds/fitter_job/*; do seed fitter_job "$f"; done
for f in examples/raman/*.pfc fuzz/seeds/simplex_job/*; do seed simplex_job "$f"; done
# The workbench's PFC readers: the first byte tells whether the points are read too.
for f in examples/diffraction/*.pfc fuzz/seeds/fitter_job/*; do
  seed zentrab_pfc "$f" '\x01'; seed zentrab_pfc "$f" '\x00'
done
for f in examples/raman/*.pfc fuzz/seeds/simplex_job/*; do
  seed raman_pfc "$f" '\x01'; seed raman_pfc "$f" '\x00'
done
for f in fuzz/seeds/profile/*; do seed profile "$f"; done
for f in fuzz/seeds/mevlo_tidy/*; do seed mevlo_tidy "$f"; done
for f in fuzz/seeds/drupa_names/*; do seed drupa_names "$f"; done
echo "fuzz-seeds: $n seeds in $out"
