#!/usr/bin/env bash
# Black-box tests: run the real program on temporary job files and read its
# log. The same cases run against both builds:
#   run.sh build/default/quillspur
#   run.sh build/windows/quillspur.exe cmake/wine-run.sh
#   run.sh --case case_NAME build/default/quillspur   (that case alone)
# Everything after the program is the command that runs it (the emulator).
set -u
export LC_ALL=C

# One run at a time: under Wine the cases share the prefix's registry and its
# drive C:. flock -o holds the lock itself, so no program started here (nor
# Wine's services, which outlive it) inherits it.
if [ -z "${QS_BLACKBOX_LOCKED:-}" ]; then
  export QS_BLACKBOX_LOCKED=1
  exec flock -o "${TMPDIR:-/tmp}/quillspur-blackbox-$(id -u).lock" bash "$0" "$@"
fi

ONLY_CASE=
if [ "${1:-}" = --case ]; then
  ONLY_CASE=$2
  shift 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
runner=("$@")
# The cases run in directories of their own: make a relative runner absolute.
if [ "${#runner[@]}" -gt 0 ] && [ -f "${runner[0]}" ]; then
  runner[0]=$(cd "$(dirname "${runner[0]}")" && pwd)/$(basename "${runner[0]}")
fi
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
require_tools setsid flock faketime

# --- start-up -------------------------------------------------------------

case_usage_line_for_wrong_argument_counts() {
  local args
  for args in "" "a.ini b.ini"; do
    : >"$LOG"
    # shellcheck disable=SC2086
    run_program $args >out.txt 2>err.txt
    expect_eq "exit code ($args)" 1 $?
    expect_eq "stdout ($args)" "Quillspur Ini-Datei" "$(tr -d '\r' <out.txt)"
    expect_eq "log ($args)" "Quillspur gestartet" "$(messages)"
  done
  expect_stamped_lines
}

case_missing_configuration_ends_the_program() {
  run_program 'no\such.ini' >out.txt 2>&1
  expect_eq "exit code" 1 $?
  expect_eq "log" "Quillspur gestartet
Konfigurationsdatei 'no\\such.ini' nicht gefunden.
Quillspur beendet" "$(messages)"
  expect_eq "continuation line" "                      Quillspur beendet" "$(tail -n 1 "$LOG" | tr -d '\r')"
  expect_crlf
}

case_wildcard_configuration_path_passes_the_existence_test() {
  printf '[Quillspur]\nDelay=1\n' >jobs.ini
  start_monitor 'job?.ini'
  sleep 2
  expect_running
  stop_monitor
  expect_eq "log" "Quillspur gestartet" "$(messages)"
}

case_a_bare_configuration_name_is_read_where_it_was_found() {
  run_program absent.ini >/dev/null 2>&1
  expect_contains "$(messages)" "Konfigurationsdatei 'absent.ini' nicht gefunden."
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  start_monitor jobs.ini
  wait_for_count "Starte Programm: exit 0" 1 || fail "no job ran from a bare name"
}

case_delay_is_read_again_every_cycle() {
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Starte Programm: exit 0" 2 || fail "no second cycle with Delay=1"
  printf '[Quillspur]\nDelay=3600\n[tick]\nRun=exit 0\n' >jobs.ini
  sleep 3
  local before
  before=$(count "Starte Programm: exit 0")
  sleep 3
  expect_eq "passes after Delay=3600" "$before" "$(count "Starte Programm: exit 0")"
  stop_monitor
}

# --- job pass -------------------------------------------------------------

case_jobs_check_their_paths_and_start_their_commands() {
  mkdir -p data empty full
  : >data/report.txt
  : >full/entry.dat
  cat >jobs.ini <<'EOF'
[quillSPUR]
Delay=1
Run=exit 99
[no check]
Run=exit 3
[missing]
Check=data\report.txt;data\absent.txt
Run=exit 11
[leading]
Check=;data\report.txt
Run=exit 12
[double]
Check=data\report.txt;;data\report.txt
Run=exit 13
[trailing]
Check=data\report.txt;
Run=exit 14
[wildcards]
Check=data\*.txt;data\rep?rt.txt;full;full\*
Run=exit 15
[empty dir]
Check=empty\*
Run=exit 16
[percent]
Check=data\report.txt;data\100%s%d
Run=echo 100%s%d
[QUILLSPUR]
Run=exit 98
[Quillspur2]
Run=exit 21
EOF
  start_monitor '.\jobs.ini'
  wait_for_count "Starte Programm: exit 3" 2 || fail "the job without Check did not run every cycle"
  stop_monitor
  local m
  m=$(messages)
  expect_contains "$m" "Programm beendet (iRC = 3, errno = "
  expect_contains "$m" "Starte Programm: exit 14"
  expect_contains "$m" "Starte Programm: exit 15"
  expect_contains "$m" "Starte Programm: exit 21"
  expect_contains "$m" "$CHECK_LINE"'data\report.txt;data\100%s%d'
  local blocked
  for blocked in "exit 11" "exit 12" "exit 13" "exit 16" "exit 98" "exit 99" "echo"; do
    expect_absent "$m" "Starte Programm: $blocked"
  done
  expect_contains "$m" "$CHECK_LINE"'data\report.txt;data\absent.txt'
  expect_stamped_lines
}

case_delay_values_that_read_as_no_wait() {
  # Each runs its passes back to back; Delay=5 gives one pass in that time,
  # and so does a length far beyond 2038 from now.
  local delay passes
  for delay in 0 abc -1 0x3C 4294967296 2147483648 5 400000000; do
    printf '[Quillspur]\nDelay=%s\n[idle]\n' "$delay" >jobs.ini
    : >"$LOG"
    start_monitor '.\jobs.ini'
    wait_for_count "Starte Programm: " 3 3
    stop_monitor
    passes=$(count "Starte Programm: ")
    if [ "$delay" = 5 ] || [ "$delay" = 400000000 ]; then
      expect_eq "passes with Delay=$delay" 1 "$passes"
    elif [ "$passes" -lt 3 ]; then
      fail "Delay=$delay: $passes passes, expected passes back to back"
    fi
  done
}

case_exit_status_and_percent_are_logged_unchanged() {
  printf '[Quillspur]\nDelay=1\n[percent]\nCheck=jobs.ini\nRun=echo 100%%s%%d\n[three]\nRun=exit 3\n' >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Programm beendet" 2 || fail "the jobs did not run"
  stop_monitor
  local m
  m=$(messages)
  expect_contains "$m" "Starte Programm: echo 100%s%d
Programm beendet (iRC = 0, errno = "
  expect_contains "$m" "Starte Programm: exit 3
Programm beendet (iRC = 3, errno = "
}

# The wall clock steps (a host that boots an hour ahead and is corrected,
# an admin's date command): stamps follow it, the cycle does not. libfaketime
# steps the clock of the monitor alone (under Wine, of Wine's processes), and
# leaves the clocks that do not step (monotonic, boot time) real.
case_a_wall_clock_stepped_stalls_no_cycle() {
  # Both intercept the clocks, and the monitor hangs in its first call.
  [ -z "${ASAN_OPTIONS:-}" ] || { skip "libfaketime cannot run beside the sanitizers' runtime"; return; }
  local offset
  printf '[Quillspur]\nDelay=3\n[tick]\nRun=exit 0\n' >jobs.ini
  for offset in -1h +1h; do
    : >"$LOG"
    echo +0 >offset
    setsid env LD_PRELOAD="$(faketime -f +0 printenv LD_PRELOAD)" \
      FAKETIME_TIMESTAMP_FILE="$PWD/offset" FAKETIME_NO_CACHE=1 \
      FAKETIME_DONT_FAKE_MONOTONIC=1 "${runner[@]}" "$program" jobs.ini \
      >monitor.out 2>&1 &
    PID=$!
    wait_for_count "Starte Programm: exit 0" 1 || fail "$offset: the monitor did not start its job"
    # While the first cycle is waited out.
    echo "$offset" >offset
    wait_for_count "Starte Programm: exit 0" 3 8 || fail "$offset: the cycle stalled"
    stop_monitor
    local first last
    first=$(head -n 1 "$LOG" | cut -c12-13)
    last=$(tail -n 1 "$LOG" | cut -c12-13)
    [ "$first" != "$last" ] || fail "$offset: the stamps did not follow the wall clock"
  done
}

# The README's quoting for a program whose path holds a blank: the profile
# functions take one pair of quotes off the whole value, and cmd /c one more
# when it sees more than two.
case_a_run_line_quoted_as_documented_reaches_a_program_with_blanks() {
  mkdir "my tool"
  local run
  if on_wine; then
    printf '@echo [%%~1]>>args.txt\r\n' >"my tool/x.cmd"
    run="\"\"\"$(program_path "my tool/x.cmd")\" \"a b\"\"\""
  else
    printf '#!/bin/sh\nprintf "[%%s]\\n" "$1" >>args.txt\n' >"my tool/x"
    chmod +x "my tool/x"
    run="\"\"$PWD/my tool/x\" \"a b\"\""
  fi
  printf '[Quillspur]\nDelay=1\n[blank]\nRun=%s\n' "$run" >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Programm beendet (iRC = 0" 1 || fail "the program did not run"
  stop_monitor
  expect_eq "the argument the program got" "[a b]" "$(head -n 1 args.txt | tr -d '\r')"
}

case_a_command_status_of_minus_one_reads_as_a_failure_to_start() {
  # cmd can end with -1; a POSIX shell's status is 0 to 255.
  on_wine || { skip "a POSIX shell's status is 0 to 255"; return; }
  printf '[Quillspur]\nDelay=1\n[minus]\nRun=exit -1\n' >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Starte Programm: exit -1" 1 || fail "the job did not run"
  sleep 1
  stop_monitor
  expect_contains "$(messages)" "Fehler bei der Ausf"$'\xfc'"hrung des Programms 'exit -1'' (errno = "
}

# The job file's encoding changes nothing: umlauts in its name, in Check and
# in Run reach the UTF-8 names on disk and the log in Windows-1252, alike on
# both builds. UTF-8 without a mark is read so on Linux only.
case_umlauts_read_alike_in_every_encoding_of_the_job_file() {
  require_tools iconv
  local umlaut=$'\xc3\xa4' sharp=$'\xc3\x9f' text enc mark name
  text=$'[Quillspur]\r\nDelay=1\r\n[Auftr\xe4ge]\r\nCheck=Auftr\xe4ge\\*.csv;Auftr\xe4ge\\x.csv\r\nRun=mkdir Stra\xdfe\r\n'
  run_program "fehlt$umlaut.ini" >/dev/null 2>&1
  expect_contains "$(messages)" $'Konfigurationsdatei \'fehlt\xe4.ini\' nicht gefunden.'
  for enc in WINDOWS-1252 UTF-8 UTF-16LE UTF-16BE UTF-8-no-mark; do
    [ $enc = UTF-8-no-mark ] && on_wine && continue
    rm -rf "Auftr${umlaut}ge" "Stra${sharp}e" && : >"$LOG"
    mkdir "Auftr${umlaut}ge" && : >"Auftr${umlaut}ge/x.csv"
    case $enc in
      UTF-8) mark=$'\xef\xbb\xbf' ;;
      UTF-16LE) mark=$'\xff\xfe' ;;
      UTF-16BE) mark=$'\xfe\xff' ;;
      *) mark= ;;
    esac
    name="Auftr${umlaut}ge.ini"
    { printf '%s' "$mark"; printf '%s' "$text" | iconv -f WINDOWS-1252 -t "${enc%-no-mark}"; } >"$name"
    start_monitor "$name"
    wait_for_count "Programm beendet" 1 || fail "$enc: the job did not run"
    stop_monitor
    expect_eq "log ($enc)" "Quillspur gestartet
${CHECK_LINE}Auftr"$'\xe4'"ge\\*.csv;Auftr"$'\xe4'"ge\\x.csv
Starte Programm: mkdir Stra"$'\xdf'"e" "$(messages | head -n 3)"
    [ -d "Stra${sharp}e" ] || fail "$enc: Run made no directory Stra${sharp}e"
  done
}

case_a_job_added_while_running_starts_in_the_next_cycle() {
  printf '[Quillspur]\nDelay=1\n[first]\nRun=exit 0\n' >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Starte Programm: exit 0" 1 || fail "first job did not run"
  printf '[late]\nRun=exit 9\n' >>jobs.ini
  wait_for_count "Programm beendet (iRC = 9" 1 || fail "the added job did not start"
  stop_monitor
}

# --- installation path ----------------------------------------------------

case_log_lies_below_the_installation_directory_also_with_a_trailing_backslash() {
  set_install_path "$(program_path install)\\"
  run_program >/dev/null
  expect_eq "log" "Quillspur gestartet" "$(messages)"
  expect_eq "other files in the log directory" "Quillspur.log" "$(ls "$(dirname "$LOG")")"
}

case_a_full_log_moves_to_the_old_file_beside_it() {
  head -c 1000001 /dev/zero | tr '\0' x >"$LOG"
  run_program >/dev/null
  expect_eq "new log" "Quillspur gestartet" "$(messages)"
  expect_eq "old log size" 1000001 "$(wc -c <"${LOG%.log}.old")"
}

case_a_missing_log_directory_is_not_created() {
  set_install_path "$(program_path nowhere)"
  run_program >/dev/null
  [ ! -e nowhere ] || fail "the log directory was created"
}

case_a_missing_product_key_is_created_and_the_log_goes_to_the_root() {
  on_scratch_root || return
  delete_product_key
  rm -f "$ROOT_LOG"
  run_program >/dev/null
  product_key_exists || fail "the product key was not created"
  LOG=$ROOT_LOG
  expect_eq "root log" "Quillspur gestartet" "$(messages)"
  rm -f "$ROOT_LOG"
}

case_a_store_that_cannot_be_written_leaves_the_key_uncreated() {
  # Wine's registry cannot be made unwritable here; natively a store whose
  # directory is missing refuses every change, even to root.
  on_wine && { skip "Wine's registry cannot be made unwritable"; return; }
  on_scratch_root || return
  export QUILLSPUR_REGISTRY=$PWD/absent/registry.reg
  rm -f "$ROOT_LOG"
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  start_monitor '.\jobs.ini'
  LOG=$ROOT_LOG
  wait_for_count "Starte Programm: exit 0" 2 || fail "the monitor did not cycle"
  expect_running
  stop_monitor
  [ ! -e absent ] || fail "the store's directory was created"
  rm -f "$ROOT_LOG"
}

run_cases
