#!/usr/bin/env bash
# Usage: run_abi_breaks.sh SOURCE_DIR WORK_DIR
#
# Proves scripts/check-abi.sh on the real library: builds a copy of
# src/progressbar changed on purpose, once per change below, and expects the
# check to fail for the three kinds of break (with abidiff naming the change)
# and to pass for what programs cannot notice (a private field, a new
# function). Each build changes the widget's files only, so after the first
# build of the copy every one recompiles a handful of files.
set -euo pipefail

source_dir=$(cd "${1:?usage: run_abi_breaks.sh SOURCE_DIR WORK_DIR}" && pwd)
work=${2:?usage: run_abi_breaks.sh SOURCE_DIR WORK_DIR}
tree=$work/tree
build=$work/build
widget=src/progressbar/widget

mkdir -p "$work"
rm -rf "$tree"
mkdir -p "$tree/src"
cp -r "$source_dir/src/progressbar" "$tree/src/"
cp "$source_dir/tests/progressbar-abi/CMakeLists.txt" "$tree/"
# The check itself, reading the baseline and suppressions of the copy, which
# are the tree's.
mkdir -p "$tree/scripts"
cp "$source_dir/scripts/check-abi.sh" "$tree/scripts/"
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }

failures=0
pristine=$work/pristine
rm -rf "$pristine"
cp -r "$tree/$widget" "$pristine"

# Builds the copy with `edit` applied to the widget's files and runs the check.
# EXPECT is pass or fail; for fail, the report must match PATTERN.
try() { # NAME EXPECT PATTERN EDIT...
  local name=$1 expect=$2 pattern=$3 status=0
  shift 3
  rm -rf "${tree:?}/$widget" && cp -r "$pristine" "$tree/$widget"
  (cd "$tree/$widget" && "$@")
  if ! cmake --build "$build" --target QuorvelProgressBar -j 2 >"$work/$name.build.log" 2>&1; then
    echo "FAIL: $name: the changed copy does not build: $(tail -20 "$work/$name.build.log")"
    failures=$((failures + 1))
    return
  fi
  "$tree/scripts/check-abi.sh" "$build/$widget/libQuorvelProgressBar.so.1" >"$work/$name.log" 2>&1 ||
    status=$?
  echo "=== $name: check-abi.sh exit $status"
  cat "$work/$name.log"
  if [ "$expect" = pass ] && [ "$status" -ne 0 ]; then
    echo "FAIL: $name: the check failed on a change programs cannot notice"
    failures=$((failures + 1))
  elif [ "$expect" = fail ] && { [ "$status" -ne 1 ] || ! grep -Eq -- "$pattern" "$work/$name.log"; }; then
    echo "FAIL: $name: the check did not fail naming the change (/$pattern/)"
    failures=$((failures + 1))
  fi
}

header=progress_bar_widget.h
source=progress_bar_widget.cpp

try data-member fail "size changed|data member" \
  sed -i 's|^  const std::unique_ptr<ProgressBarWidgetPrivate> d_;|&\n  int added_for_the_abi_check_ = 0;|' "$header"
try virtual-function fail "virtual|vtable" \
  sed -i 's|^  void changeEvent(QEvent\* event) override;|&\n  virtual void AddedForTheAbiCheck() {}|' "$header"
try changed-parameters fail "SetRoundedValue" \
  sed -i 's|SetRoundedValue(int rounded_value)|SetRoundedValue(long rounded_value)|' "$header" "$source"
try private-field pass "" \
  sed -i 's|^  bool started = false;|&\n  int added_for_the_abi_check = 0;|' progress_bar_widget_private.h
try new-function pass "" \
  sh -c "sed -i 's|^  QString CaptionText() const;|&\n  int AddedForTheAbiCheck() const;|' $header &&
         echo 'int quorvel::progressbar::ProgressBarWidget::AddedForTheAbiCheck() const { return 1; }' >>$source"

[ "$failures" -eq 0 ] || exit 1
echo "abi breaks: the check fails on each break and passes what programs cannot notice"
