# Another local user against a monitor that runs as root, in a log directory
# that user may write (a web application's document tree): no link or hard
# link at the log's name makes the monitor write or create another file,
# and no lock that user holds stops a job. The monitor keeps cycling.

# Opens the case to the user, makes the log directory writable by everyone
# (sticky, as the safest such directory is), a root-only canary file and a
# root-only directory, and a job file whose [tick] shows the monitor cycling
# while [miss] grows the log past its limit about once a second.
attack_case() {
  need_root || return 1
  chmod 755 "$PWD"
  chmod 1777 "${LOG%/*}"
  printf 'root only\n' >canary
  chmod 600 canary
  mkdir -m 700 private ran
  local miss=$PWD/never/$(head -c 5000 /dev/zero | tr '\0' m)
  printf '[Quillspur]\nDelay=0\n[tick]\nRun=echo >>%s/ran/count\n[miss]\nCheck=%s\nRun=exit 0\n' \
    "$PWD" "$miss" >jobs.ini
}

ticks() { cat ran/count 2>/dev/null | grep -c ''; }

# The [tick] job runs on: its count grows within five seconds.
expect_cycling() {
  local before i
  before=$(ticks)
  for ((i = 0; i < 50; i++)); do
    [ "$(ticks)" -gt $((before + 1)) ] && break
    sleep 0.1
  done
  [ "$(ticks)" -gt $((before + 1)) ] || fail "$1: the jobs stopped"
  expect_running
}

# Puts what the command makes at the log's name, instead of what is there,
# while the monitor is held, so that it cannot take the name in between.
replant() {
  kill -STOP -- "-$PID"
  rm -f "$LOG"
  "$@" || fail "could not plant: $*"
  kill -CONT -- "-$PID"
}

expect_canary_untouched() {
  expect_eq "$1: canary" "root only" "$(cat canary)"
  [ ! -e private/nologin ] || fail "$1: a file was created through a link"
}

case_attack_links_at_the_log_reach_no_other_file() {
  attack_case || return
  as_user ln -s "$PWD/canary" "$LOG" || fail "could not plant the link"
  start_monitor jobs.ini
  expect_cycling "a link to a root-only file"
  expect_canary_untouched "a link to a root-only file"
  replant as_user ln -s "$PWD/private/nologin" "$LOG"
  expect_cycling "a dangling link"
  expect_canary_untouched "a dangling link"
  # Where fs.protected_hardlinks is off, the user could make this one.
  replant ln canary "$LOG"
  expect_cycling "a hard link"
  expect_canary_untouched "a hard link"
  replant true
  # The user re-creates the link as fast as it can while the monitor moves
  # its own log aside, again and again.
  wait_for_count "$CHECK_LINE" 10 || fail "the monitor wrote no log of its own"
  setpriv --reuid="$UNPRIVILEGED" --regid="$(id -g "$UNPRIVILEGED")" --clear-groups -- \
    bash -c 'end=$((SECONDS + 4)); while [ $SECONDS -lt $end ]; do ln -s "$1" "$2" 2>/dev/null; done' \
    - "$PWD/canary" "$LOG"
  [ -f "${LOG%.log}.old" ] || fail "the log was never moved aside during the race"
  expect_cycling "the race at the move"
  expect_canary_untouched "the race at the move"
  stop_monitor
  expect_whole_lines "${LOG%.log}.old"
}

case_attack_a_lock_on_the_log_directory_stops_no_job() {
  attack_case || return
  # Every message moves the log aside while the lock is held.
  head -c $((LOG_LIMIT + 1)) /dev/zero | tr '\0' x >"$LOG"
  hold_lock_as_user "${LOG%/*}"
  start_monitor jobs.ini
  expect_cycling "the log directory locked"
  [ -f "${LOG%.log}.old" ] || fail "the log was not moved aside under the lock"
  release_lock
  stop_monitor
  expect_whole_lines
}
