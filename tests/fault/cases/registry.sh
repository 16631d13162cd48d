# The registry store in every state a machine can leave it in. The monitor
# runs as the unprivileged user: without an installation directory its log
# would go to the root directory, which that user cannot write, so nothing
# here touches the machine's /. Its one job appends a line to ticks every
# second, which shows that it runs.

STORE_KEY_LINE='[HKEY_LOCAL_MACHINE\Software\KESTRAN\LORVANTIS]'

# Opens the case directory to the user (and lets it make files there when
# writable is given) and writes the job file.
store_case() {
  need_root || return 1
  chmod "${1:-755}" .
  printf '[Quillspur]\r\nDelay=1\r\n[tick]\r\nRun=echo tick >>%s/ticks\r\n' \
    "$PWD" >jobs.ini
  : >ticks
  chmod 666 ticks
}

# As start_monitor, as the user: setpriv and setsid both become the
# monitor, so that PID is its process group.
start_monitor_as_user() {
  setsid setpriv --reuid="$UNPRIVILEGED" --regid="$(id -g "$UNPRIVILEGED")" \
    --clear-groups -- "$program" "$PWD/jobs.ini" >monitor.out 2>&1 &
  PID=$!
}

# The monitor starts and goes on running its job.
expect_ticking() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(wc -l <ticks)" -ge 2 ] && break
    sleep 0.1
  done
  [ "$(wc -l <ticks)" -ge 2 ] || fail "the monitor did not run its job"
  expect_running
}

# Nothing but the case's own files lies beside the store.
expect_no_other_files() {
  local extra
  extra=$(ls -A | grep -vxE 'registry\.reg|jobs\.ini|ticks|monitor\.out|install')
  expect_eq "files beside the store" "" "$extra"
}

case_store_missing_gets_the_key() {
  store_case 777 || return
  rm registry.reg
  start_monitor_as_user
  expect_ticking
  [ "$(head -c 8 registry.reg)" = REGEDIT4 ] || fail "no store was written"
  grep -qF "$STORE_KEY_LINE" registry.reg || fail "the key was not created"
  expect_no_other_files
}

case_store_corrupt_is_left_as_it_is() {
  store_case 777 || return
  printf 'not a registry\n' >registry.reg
  chmod 666 registry.reg
  start_monitor_as_user
  expect_ticking
  expect_eq "store" "not a registry" "$(cat registry.reg)"
  expect_no_other_files
}

case_store_that_is_a_directory_is_left_as_it_is() {
  store_case 777 || return
  rm registry.reg
  mkdir -m 777 registry.reg
  start_monitor_as_user
  expect_ticking
  [ -d registry.reg ] && [ -z "$(ls -A registry.reg)" ] ||
    fail "the directory was changed"
  expect_no_other_files
}

case_store_that_is_a_device_stays_a_device() {
  store_case 777 || return
  rm registry.reg
  # A null device of the case's own, so that the machine's stays untouched.
  mknod -m 666 registry.reg c 1 3 2>/dev/null || {
    skip "cannot make a device node"
    return
  }
  start_monitor_as_user
  expect_ticking
  expect_eq "store" "character special file 1,3" \
    "$(stat -c '%F %t,%T' registry.reg)"
  expect_no_other_files
}

case_store_that_is_a_fifo_blocks_nothing() {
  store_case 777 || return
  rm registry.reg
  mkfifo -m 666 registry.reg
  start_monitor_as_user
  expect_ticking
  [ -p registry.reg ] || fail "the FIFO was replaced"
  expect_no_other_files
}

case_store_unreadable_is_left_as_it_is() {
  store_case || return
  chmod 600 registry.reg
  cp registry.reg before.reg
  start_monitor_as_user
  expect_ticking
  cmp -s before.reg registry.reg || fail "the store was changed"
}

# A service user that may read the store but not write it still finds its
# installation directory, and so logs where it should.
case_store_unwritable_is_read() {
  store_case || return
  chmod 644 registry.reg
  chmod 777 "$(dirname "$LOG")"
  cp registry.reg before.reg
  start_monitor_as_user
  expect_ticking
  expect_contains "$(messages)" "Quillspur gestartet"
  cmp -s before.reg registry.reg || fail "the store was changed"
}

# A writer killed between writing its temporary file and renaming it leaves
# the store as it was; the next writer removes the stale file and writes
# the whole change.
case_store_writer_killed_mid_write() {
  store_case 777 || return
  printf 'REGEDIT4\r\n' >registry.reg
  chmod 666 registry.reg
  as_user env QUILLSPUR_TEST_KILL_STORE_WRITER=1 timeout 10 "$seamed" \
    "$PWD/jobs.ini" >/dev/null 2>&1
  expect_eq "store after the kill" "REGEDIT4" "$(tr -d '\r' <registry.reg)"
  local temps=(registry.reg.quillspur-tmp.??????)
  expect_eq "temporary files" 1 "${#temps[@]}"
  [ "${#temps[@]}" -eq 1 ] && cp "${temps[0]}" written.reg
  start_monitor_as_user
  expect_ticking
  cmp -s written.reg registry.reg || fail "the store is not the whole change"
  grep -qF "$STORE_KEY_LINE" registry.reg || fail "the key was not created"
  rm -f written.reg
  expect_no_other_files
}

# Anyone who may read the store's directory may lock it: a start-up that
# must create the key waits about a second, then reads the store as one
# that may not write it.
case_store_locked_by_another_user_delays_start_up_only() {
  store_case 777 || return
  rm registry.reg
  hold_lock_as_user .
  start_monitor_as_user
  expect_ticking
  release_lock
  [ ! -e registry.reg ] || fail "the store was written under another's lock"
  expect_no_other_files
}
