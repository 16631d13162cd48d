#!/usr/bin/env bash
# Fault cases: the real program on a hostile machine (a full disk, a
# file-size limit, stores and job files that are not regular files, other
# users' permissions, two monitors on one log). Native build only:
#   run.sh build/default/quillspur build/default/tests/quillspur-seamed
#   run.sh --case case_NAME PROGRAM SEAMED   (that case alone)
# SEAMED is the test-only build of the monitor, whose seams the cases steer
# through QUILLSPUR_TEST_* variables.
# Each case says what must hold, and skips with a reason where this machine
# does not allow the set-up (no root, no mount namespaces); a tool that
# .ci/run installs is required.
set -u
export LC_ALL=C

ONLY_CASE=
if [ "${1:-}" = --case ]; then
  ONLY_CASE=$2
  shift 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
seamed=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
runner=()
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../blackbox/lib.sh"
source "$here/lib.sh"
require_tools setsid setpriv unshare mount perl
shopt -s nullglob
for cases in "$here"/cases/*.sh; do
  source "$cases"
done

SUITE=faults run_cases
