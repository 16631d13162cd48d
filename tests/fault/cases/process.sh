# Process control: how commands end, what happens when one cannot start, and
# which signal settings the monitor takes from its parent and hands on.

# Starts the monitor on jobs.ini through env with the given options (signal
# settings it inherits), in a session of its own. bash starts background
# commands with SIGINT and SIGQUIT ignored; here they are at their default
# unless the options say otherwise.
start_monitor_with() {
  setsid env --default-signal=INT,QUIT "$@" "$program" '.\jobs.ini' >monitor.out 2>&1 &
  PID=$!
}

# Whether a job, which wrote its /proc/self/status to sigs.txt, ignores a
# signal; 2 when it wrote nothing.
job_ignores() {
  local mask
  mask=$(awk '$1 == "SigIgn:" { print $2 }' sigs.txt 2>/dev/null)
  [ -n "$mask" ] || return 2
  (((16#$mask >> ($(kill -l "$1") - 1)) & 1))
}

case_commands_end_as_the_shell_says_and_a_failed_start_is_named() {
  # A shell that starts and ends is a normal end, whatever its status, also
  # when it signals its own process group, which the monitor belongs to.
  # A command line too long for the kernel cannot start the shell at all.
  local long
  long=": $(head -c 140000 /dev/zero | tr '\0' x)"
  local -a runs=("no-such-command-here 2>/dev/null" "kill -INT 0" "kill -QUIT 0"
    'kill -KILL $$' "$long")
  local -a outcomes=("Programm beendet (iRC = 127, errno = 0)"
    "Programm beendet (iRC = 130, errno = 0)"
    "Programm beendet (iRC = 131, errno = 0)"
    "Programm beendet (iRC = 137, errno = 0)"
    "Fehler bei der Ausf"$'\xfc'"hrung des Programms '$long'' (errno = 7)")
  local i
  {
    printf '[Quillspur]\nDelay=3600\n'
    for i in "${!runs[@]}"; do printf '[job%d]\nRun=%s\n' "$i" "${runs[i]}"; done
  } >jobs.ini
  start_monitor_with
  wait_for_count "Starte Programm: " "${#runs[@]}" || fail "not every job started"
  sleep 1
  expect_running
  stop_monitor
  local m
  m=$(messages)
  for i in "${!runs[@]}"; do
    expect_contains "$m" "Starte Programm: ${runs[i]}
${outcomes[i]}"
  done
  expect_whole_lines
}

case_signal_settings_inherited_by_the_monitor_and_handed_to_jobs() {
  # Each row: env options for the monitor, a signal, and whether the job must
  # ignore it. An ignored SIGCHLD must not turn a run into a failure; what
  # the monitor sets for itself (SIGXFSZ and SIGPIPE ignored, SIGINT and
  # SIGQUIT ignored while a job runs) stays with the monitor; what its parent
  # chose for SIGINT, SIGXFSZ and SIGPIPE reaches the job.
  local rows=(
    "--ignore-signal=CHLD CHLD 0"
    "--ignore-signal=INT INT 1"
    "--ignore-signal=XFSZ XFSZ 1"
    "-- XFSZ 0"
    "-- INT 0"
    "-- QUIT 0"
    "--ignore-signal=PIPE PIPE 1"
    "-- PIPE 0"
  )
  printf '[Quillspur]\nDelay=3600\n[job]\nRun=grep ^Sig /proc/self/status >sigs.txt\n' >jobs.ini
  local row options signal expected found
  for row in "${rows[@]}"; do
    read -r options signal expected <<<"$row"
    rm -f sigs.txt
    : >"$LOG"
    start_monitor_with "$options"
    wait_for_count "errno = " 1 || fail "$options: the job did not end"
    stop_monitor
    expect_contains "$(messages)" "Programm beendet (iRC = 0, errno = 0)"
    job_ignores "$signal"
    found=$?
    [ "$found" -eq 2 ] && { fail "$options: the job wrote no status"; continue; }
    expect_eq "$options: job ignores $signal" "$expected" $((found == 0))
  done
}

case_commands_that_flood_their_output_leave_monitor_and_log_alone() {
  # The monitor's output goes to a reader that leaves after 4 KiB: the
  # commands die of SIGPIPE, the monitor, which writes nothing there, runs on.
  printf '[Quillspur]\nDelay=1\n[out]\nRun=yes out\n[err]\nRun=yes err >&2\n' >jobs.ini
  setsid "$program" '.\jobs.ini' > >(head -c 4096 >/dev/null) 2>&1 &
  PID=$!
  wait_for_count "Programm beendet (iRC = 141, errno = 0)" 4 ||
    fail "the flooding commands did not end by SIGPIPE twice each"
  expect_running
  stop_monitor
  expect_whole_lines
}

case_a_file_size_limit_costs_messages_not_the_monitor() {
  # The log is at the limit: every message fails until it is moved away, and
  # the monitor runs on. The job gets its parent's SIGXFSZ setting: killed
  # by it by default (128 + 25), a failed write when it is ignored.
  local rows=("-- 153" "--ignore-signal=XFSZ 1") row options status i
  printf '[Quillspur]\nDelay=1\n[big]\nRun=head -c 200000 /dev/zero >big.bin\n' >jobs.ini
  for row in "${rows[@]}"; do
    read -r options status <<<"$row"
    rm -f big.bin
    head -c 102400 /dev/zero | tr '\0' x >"$LOG"
    setsid prlimit --fsize=102400 env "$options" "$program" '.\jobs.ini' >monitor.out 2>&1 &
    PID=$!
    # Once the job has run, the messages around it have been tried.
    for ((i = 0; i < 200; i++)); do [ -e big.bin ] && break; sleep 0.1; done
    sleep 1
    expect_running
    expect_eq "log size at the limit" 102400 "$(wc -c <"$LOG")"
    mv "$LOG" "$LOG.full"
    wait_for_count "Programm beendet (iRC = $status, errno = 0)" 1 ||
      fail "$options: no later message, or the job did not end with $status"
    expect_running
    stop_monitor
    expect_whole_lines
  done
}

case_a_fifo_or_closed_pipe_costs_messages_not_the_monitor() {
  # A FIFO in the log's place whose reader comes and goes, and standard
  # output a pipe that nobody reads any more: writes there fail, and the
  # monitor neither dies of SIGPIPE nor writes into the FIFO.
  local rc
  rc=$( { sleep 0.3; "$program" a.ini b.ini >&3 2>/dev/null; echo $? >rc; } 3>&1 | true; cat rc)
  expect_eq "exit code of the usage line into a closed pipe" 1 "$rc"
  rm -f "$LOG" rc
  mkfifo "$LOG"
  printf '[Quillspur]\nDelay=0\n[tick]\nRun=echo >>ticks\n' >jobs.ini
  start_monitor jobs.ini
  local i got=
  for ((i = 0; i < 20; i++)); do
    got+=$(timeout 0.2 cat "$LOG")
  done
  expect_running
  expect_eq "bytes through the FIFO" "" "$got"
  [ "$(grep -c '' ticks)" -gt 2 ] || fail "the jobs did not run"
}

# As a container's entry point the monitor is process 1: orphans of its
# commands become its children, and the kernel ignores a SIGTERM left at
# its default.
case_as_process_one_orphans_are_reaped_and_sigterm_ends_it() {
  need_root || return
  unshare --pid --fork true 2>/dev/null || { skip "no private PID namespace here"; return; }
  printf '[Quillspur]\nDelay=0\n[orphan]\nRun=sleep 0.05 &\n' >jobs.ini
  setsid unshare --pid --fork "$program" jobs.ini >monitor.out 2>&1 &
  PID=$!
  wait_for_count "Programm beendet (iRC = 0" 50 || fail "the jobs did not run"
  local monitor zombies fewest=1000 i
  monitor=$(pgrep -P "$PID" | head -n 1)
  # A child that ended since the last pass waits for the next one, so a
  # few are seen under load; left unreaped they would number in the fifties.
  for ((i = 0; i < 5; i++)); do
    sleep 0.1
    zombies=$(ps --ppid "$monitor" -o stat= | grep -c '^Z')
    if [ "$zombies" -lt "$fewest" ]; then fewest=$zombies; fi
  done
  [ "$fewest" -le 2 ] || fail "$fewest zombies below the monitor at the fewest"
  kill -TERM "$monitor"
  for ((i = 0; i < 30; i++)); do
    kill -0 "$monitor" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$monitor" 2>/dev/null && fail "SIGTERM did not end the monitor as process 1"
  expect_whole_lines
}
