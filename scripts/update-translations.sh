#!/usr/bin/env bash
# Refreshes the sources of the captions' translations (translations/balimor_*.ts) from the
# workbench's window: lupdate reads every tr(), QT_TR_NOOP, QT_TRANSLATE_NOOP and translate()
# of workbench/app/gui and every caption of its Designer forms (.ui). A new text is added as an
# unfinished entry, a text still in use keeps its translation, and the entries of texts no
# longer in use are dropped. Then the entries still to translate are listed; the build makes
# the .qm files from the .ts files (finished entries and unfinished ones alike, which show the
# text as written until they are translated).
#   scripts/update-translations.sh   (LUPDATE names another lupdate of Qt 6; status 2 while
#                                     texts remain to be translated)
set -euo pipefail
cd "$(dirname "$0")/.."

lupdate=${LUPDATE:-}
if [ -z "$lupdate" ]; then
  for candidate in /usr/lib/qt6/bin/lupdate "$(command -v lupdate6 || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then lupdate=$candidate; break; fi
  done
fi
if [ -z "$lupdate" ]; then
  echo "update-translations: no lupdate of Qt 6 (Debian package qt6-l10n-tools)" >&2
  exit 1
fi

# The window's own files: one file per dialog, all in the one folder (the tests and benchmarks
# below it show nothing to the person).
mapfile -t sources < <(find workbench/app/gui -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.ui' \) | sort)
shopt -s nullglob
ts_files=(translations/balimor_*.ts)
if ((${#ts_files[@]} == 0)); then ts_files=(translations/balimor_en.ts); fi

status=0
for ts in "${ts_files[@]}"; do
  language=$(basename "$ts" .ts)
  language=${language#balimor_}
  "$lupdate" -silent -locations none -no-obsolete -target-language "$language" "${sources[@]}" -ts "$ts"
  unfinished=$(grep -c 'type="unfinished"' "$ts" || true)
  echo "update-translations: $ts: $(grep -c '<message' "$ts") texts, $unfinished to translate"
  if ((unfinished)); then
    # The source text of each unfinished entry, with its context.
    awk '/<name>/ { gsub(/.*<name>|<\/name>.*/, ""); context = $0 }
         /<source>/ { source = $0; gsub(/^ *<source>|<\/source> *$/, "", source) }
         /type="unfinished"/ { print "  " context ": " source }' "$ts"
    status=2
  fi
done
exit $status
