# Memory that runs out, one allocation at a time.

# The seamed monitor as the unprivileged user, with allocation $1 failed (0:
# none), up to its first wait between passes; it then ends with 0.
run_with_failed_allocation() {
  as_user env QUILLSPUR_TEST_FAIL_ALLOCATION="$1" QUILLSPUR_TEST_END_AT_SLEEP=1 \
    timeout 10 "$seamed" "$PWD/jobs.ini" >seamed.out 2>seamed.err
}

# Every allocation of start-up and the first pass fails in turn. Each run
# either ends at start-up with the failed-initialisation message and 1, or
# reaches the wait after its pass, whole or abandoned, with its log below
# the installation directory. No run starts the job whose files are
# missing, and a command runs only whole. The monitor runs as the
# unprivileged user, so that a log that lost its directory cannot reach the
# machine's root directory.
case_each_failed_allocation_ends_start_up_or_its_pass_and_no_job_runs_wrongly() {
  need_root || return
  chmod 755 .
  chmod 777 "$(dirname "$LOG")"
  mkdir -m 777 out
  printf '[Quillspur]\r\nDelay=1\r\n[missing]\r\nCheck=%s\r\nRun=touch %s\r\n[present]\r\nCheck=%s\r\nRun=touch %s\r\n' \
    "$PWD/a.txt;$PWD/b.txt;$PWD/c.txt" "$PWD/out/ran-without-its-files" \
    "$PWD/jobs.ini" "$PWD/out/ran-whole" >jobs.ini
  run_with_failed_allocation 0
  local total n status ran fatal=0 abandoned=0 whole=0
  total=$(sed -n 's/^allocations: //p' seamed.err)
  [ -n "$total" ] || {
    fail "the run without a failure did not reach its wait: $(cat seamed.err)"
    return
  }
  for ((n = 1; n <= total + 1; n++)); do
    rm -f out/* "$LOG"
    run_with_failed_allocation "$n"
    status=$?
    ran=$(ls out)
    [ -z "$ran" ] || [ "$ran" = ran-whole ] || fail "allocation $n: ran ${ran//$'\n'/ }"
    case $status in
      0)
        count "Quillspur gestartet" | grep -qx 1 || fail "allocation $n: no start in the log"
        [ "$(messages | grep -cxF "$CHECK_LINE")" -eq 0 ] ||
          fail "allocation $n: a check of nothing"
        expect_whole_lines
        if [ -n "$ran" ]; then whole=$((whole + 1)); else abandoned=$((abandoned + 1)); fi
        ;;
      1)
        expect_eq "allocation $n: message" "Fatal Error: MFC initialization failed" \
          "$(cat seamed.err)"
        [ -z "$ran" ] || fail "allocation $n: a job ran before the end"
        fatal=$((fatal + 1))
        ;;
      *) fail "allocation $n: exit status $status: $(head -c 300 seamed.err)" ;;
    esac
  done
  [ -e out/ran-whole ] || fail "allocation $((total + 1)): the pass did not run whole"
  echo "    allocations 1 to $((total + 1)): $fatal ended at start-up, $abandoned passes abandoned, $whole whole"
}
