# The job file changes, vanishes or is no regular file while the monitor
# runs. In every case the monitor keeps running and its log holds only whole
# messages.

case_job_file_deleted_while_running() {
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  start_monitor "$PWD/jobs.ini"
  wait_for_count "Starte Programm: exit 0" 1 || fail "the job did not run"
  rm jobs.ini
  # Without the file the next cycle reads the default Delay and no jobs.
  sleep 2
  local before
  before=$(count "Starte Programm: ")
  sleep 2
  expect_eq "passes without the file" "$before" "$(count "Starte Programm: ")"
  expect_running
  expect_whole_lines
}

case_job_file_replaced_by_rename() {
  # The same size, within the same second: only the bytes differ.
  printf '[Quillspur]\nDelay=1\n[old]\nRun=exit 1\n' >jobs.ini
  start_monitor "$PWD/jobs.ini"
  wait_for_count "Starte Programm: exit 1" 1 || fail "the first job did not run"
  printf '[Quillspur]\nDelay=1\n[new]\nRun=exit 2\n' >jobs.new
  mv jobs.new jobs.ini
  wait_for_count "Starte Programm: exit 2" 2 || fail "the new file was not read"
  local before
  before=$(count "Starte Programm: exit 1")
  sleep 2
  expect_eq "runs of the old job" "$before" "$(count "Starte Programm: exit 1")"
  expect_running
  expect_whole_lines
}

case_job_file_rewritten_in_place() {
  # Passes run back to back while the file is truncated and written again
  # under them: a read may see it half-written, never anything else.
  local a='absent-a;absent-aa' b='absent-b' i value bad=0
  printf '[Quillspur]\nDelay=0\n[a]\nCheck=%s\n' "$a" >jobs.ini
  start_monitor "$PWD/jobs.ini"
  wait_for_count "$CHECK_LINE" 1 || fail "the job was not checked"
  for ((i = 0; i < 300; i++)); do
    printf '[Quillspur]\nDelay=0\n[b]\nCheck=%s\n' "$b" >jobs.ini
    printf '[Quillspur]\nDelay=0\n[a]\nCheck=%s\n' "$a" >jobs.ini
  done
  expect_running
  stop_monitor
  while IFS= read -r value; do
    [[ $a == "$value"* || $b == "$value"* ]] || bad=$((bad + 1))
  done < <(messages | grep -aF "$CHECK_LINE" | cut -c"$((${#CHECK_LINE} + 1))"-)
  expect_eq "check lines with other values" 0 "$bad"
  expect_whole_lines
}

case_a_fifo_as_job_file_is_not_waited_on() {
  mkfifo jobs.ini
  start_monitor "$PWD/jobs.ini"
  sleep 2
  expect_running
  # A writer that does not wait finds no reader: nothing holds it open.
  if dd if=/dev/null of=jobs.ini oflag=nonblock status=none 2>/dev/null; then
    fail "the monitor waits for a writer of the FIFO"
  fi
  expect_eq "log" "Quillspur gestartet" "$(messages)"
}

case_a_device_as_job_file_reads_as_unreadable() {
  # With memory limited, a reader that took the endless device for a file
  # fails at once instead of filling the machine's memory first.
  local limit=(prlimit --as=1000000000)
  # The sanitizers' shadow memory needs far more address space: there the
  # limit is theirs, on resident memory.
  [ -n "${ASAN_OPTIONS:-}" ] &&
    limit=(env "ASAN_OPTIONS=$ASAN_OPTIONS:hard_rss_limit_mb=1000")
  setsid "${limit[@]}" "$program" /dev/zero >monitor.out 2>&1 &
  PID=$!
  sleep 2
  expect_running
  expect_eq "log" "Quillspur gestartet" "$(messages)"
}

case_a_dangling_link_counts_by_its_name() {
  ln -s nowhere/target dangling
  ln -s absent.ini linked.ini
  printf '[Quillspur]\nDelay=1\n[named]\nCheck=dangling\nRun=exit 5\n[pattern]\nCheck=dangl?ng\nRun=exit 6\n' >jobs.ini
  start_monitor "$PWD/jobs.ini"
  wait_for_count "Programm beendet (iRC = 6," 1 || fail "the job with a pattern did not run"
  [ "$(count "Programm beendet (iRC = 5,")" -ge 1 ] || fail "the job naming the link did not run"
  stop_monitor
  # As job file it passes the existence test and holds no jobs.
  : >"$LOG"
  start_monitor "$PWD/linked.ini"
  sleep 2
  expect_running
  expect_eq "log" "Quillspur gestartet" "$(messages)"
}
