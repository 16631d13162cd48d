# Memory that runs out, one allocation at a time, and the memory that a
# large registry store takes at start-up.

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

# After its first pass a monitor that read a registry store of about 100 MB
# holds no more than 1 MB beyond what one that read a small store holds.
case_a_large_store_gives_its_memory_back_after_start_up() {
  # The sanitizers' allocator keeps what is freed in quarantine.
  if grep -q __asan_init "$program"; then
    skip "the sanitizers keep freed memory"
    return
  fi
  printf '[Quillspur]\r\nDelay=3600\r\n[job]\r\nCheck=%s\r\nRun=exit 0\r\n' \
    "$PWD/missing" >jobs.ini
  cp registry.reg small.reg
  # 1.7 million small values in 17,000 keys, after the product key.
  perl -e 'my $v = "x" x 48;
    for my $k (1 .. 17000) {
      print "\r\n[HKEY_LOCAL_MACHINE\\Software\\Filler\\K$k]\r\n";
      print "\"V$_\"=\"$v\"\r\n" for 1 .. 100;
    }' >>registry.reg
  QUILLSPUR_REGISTRY=$PWD/small.reg start_monitor "$PWD/jobs.ini"
  local small=$PID large small_rss large_rss
  QUILLSPUR_REGISTRY=$PWD/registry.reg start_monitor "$PWD/jobs.ini"
  large=$PID
  wait_for_count "$CHECK_LINE" 2 60 || fail "the two passes did not end"
  # The check line is the pass's last message; only the test of the file
  # follows it.
  sleep 0.2
  small_rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$small/status")
  large_rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$large/status")
  stop_monitor
  PID=$small
  stop_monitor
  echo "    VmRSS: $small_rss kB with a small store, $large_rss kB with $(($(wc -c <registry.reg) / 1000000)) MB"
  [ -n "$small_rss" ] && [ -n "$large_rss" ] && ((large_rss - small_rss <= 1024)) ||
    fail "VmRSS: $small_rss kB with a small store, $large_rss kB with a large one"
}
