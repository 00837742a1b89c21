#!/usr/bin/env bash
# packaging/check-package.sh DEB: checks a built Balimor package with dpkg-deb. Its name matches
# its fields; it holds exactly the suite's programs in /usr/bin, the desktop entry, icon, file
# types, manual pages, copyright file, README and the English translation of the captions, and
# nothing outside the suite's folders (translations are .qm files in
# /usr/share/balimor/translations); its programs run from anywhere (no build-tree run paths)
# and are stripped; Depends names the shared libraries the
# programs load and the packages they need, and this machine satisfies it. Prints one line per
# fault and ends with status 1 when there is any.
set -euo pipefail

deb=${1:?usage: packaging/check-package.sh DEB}
faults=0
fault() {
  echo "check-package: $*" >&2
  faults=$((faults + 1))
}

field() { dpkg-deb --field "$deb" "$1"; }

# The name and the control fields.
[ "$(field Package)" = balimor ] || fault "Package is '$(field Package)', not balimor"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fault "Architecture is '$(field Architecture)'"
expected_name="balimor_$(field Version)_$(field Architecture).deb"
[ "$(basename "$deb")" = "$expected_name" ] || fault "file name $(basename "$deb"), fields say $expected_name"
for f in Maintainer Description Section; do
  [ -n "$(field "$f")" ] || fault "no $f field"
done

# The file list: the path of every entry (without the leading "."), symbolic links as "path -> target".
mapfile -t entries < <(dpkg-deb --contents "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); sub(/^\./, ""); print }')
programs=(Balimor balimor-cli balimor-cli-plot xZentrab Zentrab simplexfit Mevlo Drupa)
required=(
  /usr/share/applications/balimor.desktop
  /usr/share/icons/hicolor/scalable/apps/balimor.svg
  /usr/share/mime/packages/balimor.xml
  /usr/share/doc/balimor/copyright
  /usr/share/doc/balimor/README.md
  /usr/share/balimor/translations/balimor_en.qm
)
for p in "${programs[@]}"; do required+=("/usr/bin/$p"); done
for m in Balimor balimor-cli xZentrab Zentrab simplexfit Mevlo Drupa; do required+=("/usr/share/man/man1/$m.1.gz"); done
listed() { # listed WORD LIST...: WORD is one of LIST
  local word=$1
  shift
  printf '%s\n' "$@" | grep -qxF -- "$word"
}
paths=()
for e in "${entries[@]}"; do paths+=("${e%% -> *}"); done
for r in "${required[@]}"; do
  listed "$r" "${paths[@]}" || fault "missing $r"
done
for path in "${paths[@]}"; do
  listed "$path" "${required[@]}" && continue
  case $path in
    / | /usr/ | /usr/bin/ | /usr/share/ | /usr/share/applications/ | /usr/share/doc/ | /usr/share/doc/balimor/ | \
    /usr/share/icons/ | /usr/share/icons/hicolor/ | /usr/share/icons/hicolor/scalable/ | \
    /usr/share/icons/hicolor/scalable/apps/ | /usr/share/mime/ | /usr/share/mime/packages/ | \
    /usr/share/man/ | /usr/share/man/man1/ | /usr/share/balimor/ | /usr/share/balimor/translations/) ;;
    /usr/share/balimor/translations/*.qm) ;;
    *) fault "$path does not belong in the package" ;;
  esac
done
dpkg-deb --contents "$deb" | awk '$2 != "root/root" { print "not owned by root: " $NF }' | grep . >&2 && faults=$((faults + 1))

# The programs: every /usr/bin entry is an executable that names no run path and is stripped.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb --extract "$deb" "$tree"
for p in "${programs[@]}"; do
  bin=$tree/usr/bin/$p
  [ -x "$bin" ] || { fault "/usr/bin/$p is not executable"; continue; }
  if readelf --dynamic "$bin" | grep -qE 'R(UN)?PATH'; then fault "/usr/bin/$p carries a run path"; fi
  if readelf --sections "$bin" | grep -q '\.symtab'; then fault "/usr/bin/$p is not stripped"; fi
done

# Depends: the suite's shared libraries and the packages it needs, each satisfied on this machine,
# nothing of a sanitizer build.
depends=$(field Depends)
mapfile -t depend_names < <(sed -E 's/\([^)]*\)//g; s/[|,]/\n/g' <<<"$depends" | tr -d ' ')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 fonts-dejavu-core; do
  listed "$needed" "${depend_names[@]}" || fault "Depends lacks $needed: $depends"
done
grep -qiE 'asan|ubsan|lsan' <<<"$depends" && fault "Depends names a sanitizer runtime: $depends"
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  satisfied=0
  IFS='|' read -ra alternatives <<<"$clause"
  for alt in "${alternatives[@]}"; do
    read -r name op version <<<"$(sed -E 's/[()]/ /g' <<<"$alt")"
    installed=$(dpkg-query -W -f='${Status} ${Version}\n' "$name" 2>/dev/null | awk '/install ok installed/ { print $4; exit }')
    [ -n "$installed" ] || continue
    if [ -z "${op:-}" ] || dpkg --compare-versions "$installed" "$op" "$version"; then satisfied=1; fi
  done
  ((satisfied)) || fault "Depends clause '${clause# }' is not satisfied on this machine"
done

if ((faults)); then
  echo "check-package: $deb: $faults fault(s)" >&2
  exit 1
fi
echo "check-package: $deb: $(printf '%s\n' "${paths[@]}" | grep -vc '/$') files, Depends: $depends"
