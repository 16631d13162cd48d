#!/bin/sh
# Usage: compare.sh DIR BUILD COMMAND...
# Runs COMMAND (inidump, with its emulator if any) over every DIR/corpus/*.ini
# and compares the output with DIR/expected/<name>.txt, or, for the build
# BUILD (posix or win32), with DIR/expected/<name>.BUILD.txt where a file
# reads differently there on purpose. With QS_UPDATE_BASELINE=1 it writes
# the baselines instead (take them from the Windows build under Wine, which
# is our reference).
dir=$(cd "$1" && pwd)
build=$2
shift 2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
cd "$dir/corpus" || exit 1
for ini in *.ini; do
  name=${ini%.ini}
  # A path with a directory part: Windows looks for a bare name in its own
  # directory. Output goes to a file, not a pipe: Wine's helper processes
  # may keep a pipe open. Text-mode CRs of the Windows build are dropped.
  if ! "$@" ".\\$ini" >"$out/$name.raw" 2>&1; then
    echo "FAIL $ini: inidump failed"; cat "$out/$name.raw"; status=1; continue
  fi
  tr -d '\r' <"$out/$name.raw" >"$out/$name.txt"
  expected=$name.txt
  [ -f "$dir/expected/$name.$build.txt" ] && expected=$name.$build.txt
  if [ "${QS_UPDATE_BASELINE:-}" = 1 ]; then
    cp "$out/$name.txt" "$dir/expected/$expected"
  elif ! cmp -s "$dir/expected/$expected" "$out/$name.txt"; then
    echo "FAIL $ini differs from expected/$expected:"
    diff "$dir/expected/$expected" "$out/$name.txt"
    status=1
  fi
done
[ $status = 0 ] && echo "all corpus files match"
exit $status
