#!/usr/bin/env bash
# Usage: scripts/check-abi.sh [LIBRARY]
#        scripts/check-abi.sh --update [LIBRARY]
#
# Holds libQuorvelProgressBar.so.1 to the binary interface recorded in the tree
# with libabigail: src/progressbar/abi/COMPILER/libQuorvelProgressBar.so.1.abi,
# written by abidw from a build of that compiler (gcc-12 for Debian 12's). LIBRARY
# is a built library with debugging information,
# build/src/progressbar/widget/libQuorvelProgressBar.so.1 by default.
#
# It fails, naming each change, on every change a program built against the
# recorded interface could notice:
#   - an exported symbol gone (a function removed, or its parameters changed),
#     compared by name with the symbols of the baseline;
#   - through abidiff, a class whose size, layout, base classes or virtual
#     functions changed, an exported function or variable whose type changed,
#     a changed SONAME.
# What the library only adds (a new function, a new class) passes with a
# notice; recording it is a deliberate step:
#
#   scripts/check-abi.sh --update
#
# writes the baseline of this compiler anew from LIBRARY, and refuses to when
# the change is an incompatible one under the same SONAME (that needs a new
# SONAME first). The private classes behind each exported class's one pointer,
# and the types of Qt and the C++ library, are left out
# (src/progressbar/abi/suppressions.ini).
#
# Debugging information differs between compilers, so abidiff compares only
# with a baseline of the library's own compiler; a library of a compiler that
# has none yet is held to the symbols of another's, and the check says so.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
abi_dir=$root/src/progressbar/abi
suppressions=$abi_dir/suppressions.ini
name=libQuorvelProgressBar.so.1

update=no
if [ "${1:-}" = --update ]; then
  update=yes
  shift
fi
library=${1:-$root/build/src/progressbar/widget/$name}

die() {
  echo "check-abi: $*" >&2
  exit 2
}
for tool in abidw abidiff readelf nm c++filt; do
  command -v "$tool" >/dev/null ||
    die "$tool is missing (scripts/setup.sh installs abigail-tools and binutils)"
done
[ -f "$library" ] || die "no library at $library: build it first (cmake --build build)"
readelf -S "$library" | grep -q '\.debug_info' ||
  die "$library has no debugging information to read the interface from (build with -g)"

# The compiler that built LIBRARY, from its .comment section: gcc-12, clang-14.
# A library of clang's still carries GCC's line from the C runtime's objects.
comment=$(readelf -p .comment "$library" 2>/dev/null)
compiler=$(sed -n 's/.*clang version \([0-9]*\).*/clang-\1/p' <<<"$comment" | head -n 1)
[ -n "$compiler" ] ||
  compiler=$(sed -n 's/.*GCC: (.*) \([0-9]*\)\..*/gcc-\1/p' <<<"$comment" | head -n 1)
[ -n "$compiler" ] || die "cannot tell which compiler built $library"
baseline=$abi_dir/$compiler/$name.abi
reference=$baseline
if [ ! -f "$reference" ]; then
  reference=$(find "$abi_dir" -name "$name.abi" | sort | head -n 1)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/check-abi.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The interface of LIBRARY as abidw records it: only what its exported
# functions and variables reach, with type ids that do not depend on the order
# of the debugging information, and no paths of this machine.
record() { # LIBRARY OUT
  abidw --exported-interfaces-only --type-id-style hash --no-corpus-path --no-comp-dir-path \
    --no-show-locs --suppressions "$suppressions" --out-file "$2" "$1"
}

# Exported symbols by name, less the C++ library's template instances, which
# the compiler emits and exports as it sees fit.
ours() { grep -Ev '^_Z(N|NK|T[ISV]|ZN|ZNK)?St' | sort -u; }
symbols_of_record() { sed -n "s/.*<elf-symbol name='\([^']*\)'.*is-defined='yes'.*/\1/p" "$1" | ours; }
symbols_of_library() {
  nm -D --defined-only --format=posix "$1" | awk '$2 ~ /^[TWVDBRiu]$/ {print $1}' |
    grep -Ev '^(_edata|_end|__bss_start)$' | ours
}

# Compares the recorded interface OLD (a file abidw wrote, or none) and its
# symbols with the library's, NEW; writes the report and prints the verdict:
# compatible, additions or incompatible.
compare() { # OLD_RECORD NEW_RECORD REPORT
  local old=$1 new=$2 report=$3 status=0 verdict=compatible
  : >"$report"
  symbols_of_record "$reference" >"$work/old.symbols"
  symbols_of_library "$library" >"$work/new.symbols"
  comm -23 "$work/old.symbols" "$work/new.symbols" >"$work/gone"
  comm -13 "$work/old.symbols" "$work/new.symbols" >"$work/added"
  if [ -s "$work/gone" ]; then
    verdict=incompatible
    echo "$(wc -l <"$work/gone") exported symbol(s) gone:" >>"$report"
    c++filt <"$work/gone" | sed 's/^/  [D] /' >>"$report"
  fi
  if [ -s "$work/added" ]; then
    [ "$verdict" = incompatible ] || verdict=additions
    echo "$(wc -l <"$work/added") exported symbol(s) added:" >>"$report"
    # Another compiler exports more of its own (a sanitizer's type information):
    # only the count of those.
    [ -z "$old" ] || c++filt <"$work/added" | sed 's/^/  [A] /' >>"$report"
  fi
  [ -n "$old" ] || {
    echo "$verdict"
    return
  }
  # Symbols are compared above, so abidiff looks at declarations and types.
  abidiff --suppressions "$suppressions" --no-unreferenced-symbols "$old" "$new" \
    >"$work/abidiff" 2>&1 || status=$?
  if ((status & 3)); then
    cat "$work/abidiff" >&2
    die "abidiff could not compare the two (status $status)"
  fi
  if ((status != 0)); then
    c++filt <"$work/abidiff" >>"$report"
    if ((status & 8)) || grep -Eq '[1-9][0-9]* (Removed|Changed)' "$work/abidiff" ||
      grep -q 'SONAME changed' "$work/abidiff"; then
      verdict=incompatible
    elif [ "$verdict" = compatible ]; then
      verdict=additions
    fi
  fi
  echo "$verdict"
}

fresh=$work/fresh.abi
record "$library" "$fresh"
if [ -f "$baseline" ]; then old=$baseline; else old=; fi

if [ "$update" = yes ]; then
  if [ -n "$reference" ]; then
    verdict=$(compare "$old" "$fresh" "$work/report")
    [ -n "$verdict" ] || exit 2
    if [ "$verdict" = incompatible ]; then
      old_soname=$(sed -n "s/.*soname='\([^']*\)'.*/\1/p" "$reference" | head -n 1)
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
  mkdir -p "$(dirname "$baseline")"
  cp "$fresh" "$baseline"
  echo "check-abi: recorded the interface of $name ($compiler) in ${baseline#"$root"/}"
  exit 0
fi

[ -n "$reference" ] || die "no baseline in ${abi_dir#"$root"/}: record one with $0 --update"
verdict=$(compare "$old" "$fresh" "$work/report")
[ -n "$verdict" ] || exit 2
cat "$work/report"
if [ -z "$old" ]; then
  echo "check-abi: no baseline of $compiler yet: $name is held to the symbols of" \
    "${reference#"$root"/} alone; record its interface with scripts/check-abi.sh --update"
fi
case $verdict in
  compatible)
    echo "check-abi: $name keeps the recorded interface"
    ;;
  additions)
    echo "check-abi: $name keeps the recorded interface and adds to it (above);"
    echo "check-abi: record the additions with scripts/check-abi.sh --update"
    ;;
  incompatible)
    echo "check-abi: FAILED: $name breaks the recorded interface (above)" >&2
    exit 1
    ;;
esac
