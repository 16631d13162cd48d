# Fault cases of the log: whatever the machine does to it, the monitor keeps
# running, every line in the log is a whole message, and a failure costs at
# most the messages that could not be written.

LOG_LIMIT=1000000

# Starts the monitor in a private mount namespace, after the shell command
# $1 has run there; the case sees the namespace's files below
# /proc/$PID/root.
start_monitor_mounted() {
  local setup=$1
  shift
  setsid unshare -m sh -c "$setup"' && exec "$@"' - "$program" "$@" \
    >monitor.out 2>&1 &
  PID=$!
}

need_mounts() {
  need_root || return 1
  unshare -m true 2>/dev/null && return 0
  skip "no private mount namespaces"
  return 1
}

# How many of the log's messages are none of the given ones.
unexpected_messages() {
  local file=$1 text expected
  shift
  text=$(tr -d '\r' <"$file" | cut -c23-)
  for expected in "Quillspur gestartet" "$@"; do
    text=$(grep -avxF -- "$expected" <<<"$text")
  done
  grep -ac . <<<"$text"
}

case_log_full_file_system_costs_whole_messages_only() {
  need_mounts || return
  local dir=${LOG%/*} check=$PWD/never/*.x
  printf '[Quillspur]\nDelay=0\n[miss]\nCheck=%s\nRun=exit 0\n' "$check" >jobs.ini
  # The log fills what the filler leaves of the file system; freeing the
  # filler makes room for more messages, which then fill it again.
  start_monitor_mounted "mount -t tmpfs -o size=64k tmpfs $(printf %q "$dir") &&
    head -c 32768 /dev/zero >$(printf %q "$dir")/filler" jobs.ini
  local root=/proc/$PID/root i size=0
  for ((i = 0; i < 100; i++)); do
    size=$(stat -c %s "$root$LOG" 2>/dev/null || echo 0)
    [ "$size" -gt 16384 ] && [ "$size" -eq "$(sleep 0.2; stat -c %s "$root$LOG")" ] && break
    sleep 0.1
  done
  [ "$size" -gt 16384 ] || fail "the log did not fill the file system ($size bytes)"
  rm -f "$root$dir/filler"
  for ((i = 0; i < 50; i++)); do
    [ "$(stat -c %s "$root$LOG")" -gt $((size + 16384)) ] && break
    sleep 0.1
  done
  [ "$(stat -c %s "$root$LOG")" -gt $((size + 16384)) ] || fail "no messages after space was freed"
  expect_running
  # A copy taken while the monitor runs may end in the message in flight,
  # which the monitor cuts back if its write fails: only that may be partial.
  perl -0777 -pe 's/[^\n]*\z//' "$root$LOG" >full.log
  stop_monitor
  expect_whole_lines full.log
  expect_eq "fragments of messages" 0 "$(unexpected_messages full.log "$CHECK_LINE$check")"
}

case_log_directory_removed_and_recreated() {
  local dir=${LOG%/*}
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  start_monitor jobs.ini
  wait_for_count "Starte Programm: exit 0" 1 || fail "the monitor did not cycle"
  rm -rf "$dir"
  sleep 2
  expect_running
  mkdir "$dir"
  wait_for_count "Programm beendet (iRC = 0" 1 || fail "logging did not resume"
  expect_running
  expect_whole_lines
}

case_log_read_only_directory() {
  need_root || return
  local dir=${LOG%/*} existing
  # The monitor runs as a user who may write its registry key, but not the
  # log directory; its jobs still run.
  chmod 755 "$PWD"
  mkdir store ran
  mv registry.reg store/
  export QUILLSPUR_REGISTRY=$PWD/store/registry.reg
  chown "$UNPRIVILEGED" store store/registry.reg ran
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=echo >>%s/ran/count\n' "$PWD" >jobs.ini
  for existing in none over-limit; do
    rm -f "$LOG" ran/count
    if [ "$existing" = over-limit ]; then
      # A log the user may write cannot be moved aside: it grows.
      head -c $((LOG_LIMIT + 1)) /dev/zero | tr '\0' x >"$LOG"
      chown "$UNPRIVILEGED" "$LOG"
    fi
    setsid setpriv --reuid="$UNPRIVILEGED" --regid="$(id -g "$UNPRIVILEGED")" \
      --clear-groups -- "$program" jobs.ini >monitor.out 2>&1 &
    PID=$!
    sleep 2.5
    expect_running
    [ "$(grep -c '' ran/count 2>/dev/null)" -ge 2 ] || fail "$existing: the jobs did not run"
    stop_monitor
    expect_eq "$existing: files in the log directory" "$([ "$existing" = none ] || echo Quillspur.log)" "$(ls "$dir")"
    if [ "$existing" = over-limit ]; then
      [ "$(count "Programm beendet (iRC = 0")" -ge 2 ] || fail "the log that could not be moved got no messages"
      expect_eq "log start" "$(printf 'x%.0s' {1..20})" "$(head -c 20 "$LOG")"
    fi
  done
}

case_log_a_directory_named_old_blocks_the_move_and_stays() {
  local old=${LOG%.log}.old content
  for content in "" "keep.txt"; do
    rm -rf "$old"
    mkdir "$old"
    [ -n "$content" ] && echo kept >"$old/$content"
    head -c $((LOG_LIMIT + 1)) /dev/zero | tr '\0' x >"$LOG"
    run_program >/dev/null
    [ -d "$old" ] || fail "the directory named Quillspur.old (${content:-empty}) is gone"
    expect_eq "contents of Quillspur.old" "$content" "$(ls "$old" 2>/dev/null)"
    # The start message, 43 bytes, went to the log that could not move.
    expect_eq "the log" $((LOG_LIMIT + 1 + 43)) "$(wc -c <"$LOG")"
  done
}

# Two monitors with job files of their own share the log. Each moves it
# aside only when it is over the limit, also when the other has just done
# so, and their lines of over 4 KiB never mix.
case_log_two_monitors_on_one_log() {
  local old=${LOG%.log}.old a b sizes= i pid
  a=$PWD/never/$(head -c 5000 /dev/zero | tr '\0' a)
  b=$PWD/never/$(head -c 5000 /dev/zero | tr '\0' b)
  printf '[Quillspur]\nDelay=0\n[a]\nCheck=%s\nRun=exit 0\n' "$a" >a.ini
  printf '[Quillspur]\nDelay=0\n[b]\nCheck=%s\nRun=exit 0\n' "$b" >b.ini
  start_monitor a.ini
  pid=$PID
  start_monitor b.ini
  # Every generation of the old file, seen by its inode and size, until
  # enough have been seen (a loaded machine moves the log less often).
  for ((i = 0; i < 1500; i++)); do
    sizes+=$(stat -c '%i %s' "$old" 2>/dev/null)$'\n'
    ((i % 50 == 49)) && [ "$(sort -u <<<"$sizes" | grep -c ' ')" -ge 4 ] && break
    sleep 0.02
  done
  expect_running
  stop_monitor
  PID=$pid
  expect_running
  stop_monitor
  sizes=$(sort -u <<<"$sizes" | awk 'NF == 2 { print $2 }')
  [ "$(grep -c '' <<<"$sizes")" -ge 3 ] || fail "too few moves to judge: $(grep -c '' <<<"$sizes")"
  expect_eq "old files within the limit" "" "$(awk -v limit=$LOG_LIMIT '$1 <= limit' <<<"$sizes" | xargs)"
  expect_whole_lines "$LOG"
  expect_whole_lines "$old"
  cat "$old" "$LOG" >both.log
  expect_eq "mixed lines" 0 "$(unexpected_messages both.log "$CHECK_LINE$a" "$CHECK_LINE$b")"
}

case_log_time_zone_is_read_again_every_cycle() {
  need_mounts || return
  local east=/usr/share/zoneinfo/Etc/GMT-5 west=/usr/share/zoneinfo/Etc/GMT+5
  [ -f "$east" ] && [ -f "$west" ] && [ -e /etc/localtime ] || {
    skip "no time zone files"
    return
  }
  cp "$west" zone
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  # /etc/localtime is this case's file, in the monitor's namespace only.
  start_monitor_mounted "mount --bind $(printf %q "$PWD/zone") /etc/localtime" jobs.ini
  wait_for_count "Starte Programm: exit 0" 1 || fail "the monitor did not cycle"
  local before after runs
  before=$(tail -n 1 "$LOG" | cut -c12-16)
  sleep 1.1
  cat "$east" >zone
  runs=$(count "Starte Programm: exit 0")
  wait_for_count "Starte Programm: exit 0" $((runs + 2)) || fail "the monitor stopped cycling"
  after=$(tail -n 1 "$LOG" | cut -c12-16)
  stop_monitor
  # Ten hours later, give or take the minute that passed.
  local minutes=$(((10#${after%:*} * 60 + 10#${after#*:} - 10#${before%:*} * 60 - 10#${before#*:} + 1440) % 1440))
  [ "$minutes" -ge 600 ] && [ "$minutes" -le 601 ] || fail "stamps went from $before to $after"
}

# With one descriptor to spare (standard streams and nothing else open) the
# log is still moved aside past its limit, by path and without the lock.
case_log_moves_with_one_spare_descriptor() {
  # The sanitizers' runtime opens descriptors of its own.
  [ -z "${ASAN_OPTIONS:-}" ] || { skip "no spare descriptors under the sanitizers"; return; }
  local limit
  printf '[Quillspur]\nDelay=1\n[tick]\nRun=exit 0\n' >jobs.ini
  for limit in 4 5; do
    rm -f "${LOG%.log}.old"
    head -c $((LOG_LIMIT + 1)) /dev/zero | tr '\0' x >"$LOG"
    # Started with the standard streams only, whatever the test runner left.
    (
      for fd in /proc/self/fd/*; do
        fd=${fd##*/}
        [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
      done
      exec setsid prlimit --nofile="$limit" "$program" jobs.ini
    ) >monitor.out 2>&1 </dev/null &
    PID=$!
    wait_for_count "Programm beendet (iRC = 0" 1 || fail "-n $limit: no message after the move"
    stop_monitor
    expect_eq "-n $limit: old log" $((LOG_LIMIT + 1)) "$(wc -c <"${LOG%.log}.old" 2>/dev/null)"
  done
}
