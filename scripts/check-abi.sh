#!/usr/bin/env bash
# Usage: scripts/check-abi.sh [LIBRARY]
#        scripts/check-abi.sh --update [LIBRARY]
#
# Holds libQuorvelProgressBar.so.1 to the binary interface recorded in the tree
# (src/progressbar/abi/libQuorvelProgressBar.so.1.abi, written by libabigail's
# abidw) with abidiff. LIBRARY is a built library with debugging information,
# build/src/progressbar/widget/libQuorvelProgressBar.so.1 by default.
#
# It fails, and prints abidiff's report naming each change, on every change a
# program built against the recorded interface could notice: an exported
# function or variable removed or changed (its parameters, its return type), a
# class whose size, layout, base classes or virtual functions changed, a
# changed SONAME. What the library only adds (a new function, a new class)
# passes with a notice; recording it is a deliberate step:
#
#   scripts/check-abi.sh --update
#
# writes the baseline anew from LIBRARY, and refuses to when the change is an
# incompatible one under the same SONAME (that needs a new SONAME first). The
# private classes behind each exported class's one pointer, and the types of Qt
# and the C++ library, are left out (src/progressbar/abi/suppressions.ini).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
abi_dir=$root/src/progressbar/abi
baseline=$abi_dir/libQuorvelProgressBar.so.1.abi
suppressions=$abi_dir/suppressions.ini

update=no
if [ "${1:-}" = --update ]; then
  update=yes
  shift
fi
library=${1:-$root/build/src/progressbar/widget/libQuorvelProgressBar.so.1}

die() {
  echo "check-abi: $*" >&2
  exit 2
}
for tool in abidw abidiff readelf c++filt; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/setup.sh installs abigail-tools and binutils)"
done
[ -f "$library" ] || die "no library at $library: build it first (cmake --build build)"
readelf -S "$library" | grep -q '\.debug_info' ||
  die "$library has no debugging information to read the interface from (build with -g)"

work=$(mktemp -d "${TMPDIR:-/tmp}/check-abi.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The interface of LIBRARY as abidw records it: only what its exported
# functions and variables reach, with type ids that do not depend on the order
# of the debugging information, and no paths of this machine.
record() { # LIBRARY OUT
  abidw --exported-interfaces-only --type-id-style hash --no-corpus-path --no-comp-dir-path \
    --no-show-locs --suppressions "$suppressions" --out-file "$2" "$1"
}

# abidiff's report and its verdict, the status bits of abidiff(1): 1 error,
# 2 usage error, 4 a change, 8 an incompatible change. A change that is no
# removal, no changed function or variable and no SONAME change is an
# addition, which any program built before it still runs with.
compare() { # OLD NEW REPORT; prints compatible, additions or incompatible
  local status=0
  # Symbols abidiff finds no declaration for are listed mangled: c++filt names
  # them.
  abidiff --suppressions "$suppressions" "$1" "$2" >"$3.raw" 2>&1 || status=$?
  c++filt <"$3.raw" >"$3"
  if ((status & 3)); then
    cat "$3" >&2
    die "abidiff could not compare the two (status $status)"
  fi
  if ((status == 0)); then
    echo compatible
  elif ((status & 8)) ||
    grep -Eq '([1-9][0-9]* Removed|[1-9][0-9]* Changed)' "$3" ||
    grep -q 'SONAME changed' "$3"; then
    echo incompatible
  else
    echo additions
  fi
}

fresh=$work/fresh.abi
record "$library" "$fresh"

if [ "$update" = yes ]; then
  if [ -f "$baseline" ]; then
    verdict=$(compare "$baseline" "$fresh" "$work/report")
    if [ "$verdict" = incompatible ]; then
      old_soname=$(sed -n "s/.*soname='\([^']*\)'.*/\1/p" "$baseline" | head -n 1)
      new_soname=$(sed -n "s/.*soname='\([^']*\)'.*/\1/p" "$fresh" | head -n 1)
      if [ "$old_soname" = "$new_soname" ]; then
        cat "$work/report"
        echo "check-abi: REFUSED: the change above breaks programs built against $old_soname;" >&2
        echo "check-abi: undo it, or give the library a new SONAME before recording it." >&2
        exit 1
      fi
    fi
    [ "$verdict" = compatible ] || cat "$work/report"
  fi
  mkdir -p "$abi_dir"
  cp "$fresh" "$baseline"
  echo "check-abi: recorded the interface of $(basename "$library") in ${baseline#"$root"/}"
  exit 0
fi

[ -f "$baseline" ] || die "no baseline at ${baseline#"$root"/}: record one with $0 --update"
verdict=$(compare "$baseline" "$fresh" "$work/report")
case $verdict in
  compatible)
    echo "check-abi: $(basename "$library") keeps the recorded interface"
    ;;
  additions)
    cat "$work/report"
    echo "check-abi: $(basename "$library") keeps the recorded interface and adds to it (above);"
    echo "check-abi: record the additions with scripts/check-abi.sh --update"
    ;;
  incompatible)
    cat "$work/report"
    echo "check-abi: FAILED: $(basename "$library") breaks the recorded interface (above)" >&2
    exit 1
    ;;
esac
