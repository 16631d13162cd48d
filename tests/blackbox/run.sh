#!/usr/bin/env bash
# Black-box tests: run the real program on temporary job files and read its
# log. The same cases run against both builds:
#   run.sh build/default/quillspur
#   run.sh build/windows/quillspur.exe cmake/wine-run.sh
# Everything after the program is the command that runs it (the emulator).
set -u
export LC_ALL=C

program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
runner=("$@")
# The cases run in directories of their own: make a relative runner absolute.
if [ "${#runner[@]}" -gt 0 ] && [ -f "${runner[0]}" ]; then
  runner[0]=$(cd "$(dirname "${runner[0]}")" && pwd)/$(basename "${runner[0]}")
fi
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

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

case_a_job_added_while_running_starts_in_the_next_cycle() {
  printf '[Quillspur]\nDelay=1\n[first]\nRun=exit 0\n' >jobs.ini
  start_monitor '.\jobs.ini'
  wait_for_count "Starte Programm: exit 0" 1 || fail "first job did not run"
  printf '[late]\nRun=exit 9\n' >>jobs.ini
  wait_for_count "Programm beendet (iRC = 9" 1 || fail "the added job did not start"
  stop_monitor
}

run_cases
