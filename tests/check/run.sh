#!/usr/bin/env bash
# Golden-file tests of quillspur-check: every folder in cases/ holds a
# jobs.ini, optionally setup.sh (run in the case's directory first) and args
# (the command line; default .\jobs.ini) or argv (one argument a line), and
# the expected output with the exit status as its last line: expected, or
# expected.posix and expected.windows where the builds differ. The case's directory reads as
# @DIR@ in the output.
#   run.sh build/default/quillspur-check build/default/quillspur
#   run.sh build/windows/quillspur-check.exe build/windows/quillspur.exe cmake/wine-run.sh
# Cases with a file "verdicts" also run the monitor for one pass on their
# job file, named bare: the jobs it starts must be those the check says
# would run.
# QS_UPDATE=1 writes the outputs as the new goldens.
set -u
export LC_ALL=C

abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
check=$(abs "$1")
monitor=$(abs "$2")
shift 2
runner=("$@")
[ "${#runner[@]}" -gt 0 ] && runner[0]=$(abs "${runner[0]}")
here=$(cd "$(dirname "$0")" && pwd)

# on_wine, PRODUCT_KEY and program_path are the black-box cases' own.
source "$here/../blackbox/lib.sh"
# The verdicts come from the JSON form.
require_tools jq setsid
build=posix
on_wine && build=windows

# Sets Path to $2 with the type $1 (REG_SZ or REG_EXPAND_SZ).
set_install_path() {
  if on_wine; then
    "${runner[@]}" reg add "$PRODUCT_KEY" /v Path /t "$1" /d "$2" /f >/dev/null 2>&1
  elif [ "$1" = REG_SZ ]; then
    printf 'REGEDIT4\r\n\r\n[%s]\r\n"Path"="%s"\r\n' "$PRODUCT_KEY" "${2//\\/\\\\}" >"$QUILLSPUR_REGISTRY"
  else
    local hex
    hex=$(printf '%s\0' "$2" | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')
    printf 'REGEDIT4\r\n\r\n[%s]\r\n"Path"=hex(2):%s\r\n' "$PRODUCT_KEY" "$hex" >"$QUILLSPUR_REGISTRY"
  fi
}

# For setup.sh ("need_tool setfacl acl || return"): a tool that the case
# needs. A missing one fails the case, naming the Debian package.
need_tool() {
  command -v "$1" >/dev/null && return 0
  missing="$missing $1 (Debian package $2)"
  return 1
}

# The output with the case directory as @DIR@, CR LF as LF.
normalise() {
  local win="Z:${PWD//\//\\}"
  local json=${win//\\/\\\\}
  tr -d '\r' | sed -e "s|${json//\\/\\\\}|@DIR@|g" -e "s|${win//\\/\\\\}|@DIR@|g" -e "s|$PWD|@DIR@|g"
}

# One pass of the monitor: "run" or "skip" per job, in order, from its log.
monitor_verdicts() {
  local log=install/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log jobs=$1 i n pid
  setsid "${runner[@]}" "$monitor" jobs.ini >/dev/null 2>&1 &
  pid=$!
  for ((i = 0; i < 200; i++)); do
    n=$(grep -cF "$CHECK_LINE" "$log" 2>/dev/null)
    [ "${n:-0}" -ge "$jobs" ] && break
    sleep 0.1
  done
  sleep 1
  kill -9 -- "-$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  tr -d '\r' <"$log" | cut -c23- | awk -v check="$CHECK_LINE" '
    index($0, check) == 1 { if (seen) print verdict; seen = 1; verdict = "skip" }
    /^Starte Programm: / { verdict = "run" }
    END { if (seen) print verdict }' | head -n "$jobs"
}

# For setup.sh: writes a log from stdin, with CR LF line ends; after the
# stamp, "C: " stands for the check message and "S: " for the start.
write_log() {
  sed -e 's/^\(.\{22\}\)C: /\1\xDCberpr\xFCfe Datei(en): /' \
    -e 's/^\(.\{22\}\)S: /\1Starte Programm: /' -e 's/$/\r/' >"$1"
}

# A case may set TZ for itself; every other one runs in the host's zone.
host_tz=${TZ-unset}

passed=0
failed=0
for case in "$here"/cases/*/; do
  if [ "$host_tz" = unset ]; then unset TZ; else export TZ=$host_tz; fi
  name=$(basename "$case")
  dir=$(mktemp -d)
  pushd "$dir" >/dev/null || exit 1
  cp -r "$case"/. .
  export QUILLSPUR_REGISTRY=$PWD/registry.reg
  # Where setup.sh puts a log to read.
  logdir=install/htdocs/LORVANTIS/lorvantis_php/log
  mkdir -p "$logdir"
  set_install_path REG_SZ "$(program_path install)"
  missing=
  [ -f setup.sh ] && source ./setup.sh
  args='.\jobs.ini'
  [ -f args ] && args=$(cat args)
  # shellcheck disable=SC2086
  set -- $args
  [ -f argv ] && mapfile -t argv <argv && set -- "${argv[@]}"
  output=$("${runner[@]}" "$check" "$@" 2>&1 | normalise; echo "exit ${PIPESTATUS[0]}")
  golden=$case/expected
  [ -f "$golden.$build" ] && golden=$golden.$build
  ok=1
  if [ -n "$missing" ]; then
    ok=0
    echo "    missing:$missing"
  elif [ "${QS_UPDATE:-}" = 1 ]; then
    printf '%s\n' "$output" >"$golden"
  elif [ "$output" != "$(cat "$golden")" ]; then
    ok=0
    diff <(cat "$golden") <(printf '%s\n' "$output") | sed 's/^/    /'
  fi
  if [ -f verdicts ]; then
    expected=$("${runner[@]}" "$check" --json jobs.ini 2>/dev/null | tr -d '\r' |
      jq -r '.jobs[] | if .would_run then "run" else "skip" end')
    got=$(monitor_verdicts "$(printf '%s\n' "$expected" | grep -c .)")
    if [ -z "$expected" ]; then
      ok=0
      echo "    the check's JSON form named no job"
    elif [ "$expected" != "$got" ]; then
      ok=0
      echo "    check says [$(echo $expected)], the monitor did [$(echo $got)]"
    fi
  fi
  popd >/dev/null || exit 1
  rm -rf "$dir"
  if [ "$ok" = 1 ]; then
    echo "ok   $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failed=$((failed + 1))
  fi
done
echo "check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
