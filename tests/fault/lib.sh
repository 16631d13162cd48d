# Helpers for the fault cases, on top of the black-box helpers.

# Root ignores permission bits: permission cases run as this user.
UNPRIVILEGED=nobody

# Skips the case unless the test runs as root (setpriv, mounts).
need_root() {
  [ "$(id -u)" -eq 0 ] && return 0
  skip "needs root"
  return 1
}

# Runs a command as the unprivileged user, with the case's environment.
as_user() {
  setpriv --reuid="$UNPRIVILEGED" --regid="$(id -g "$UNPRIVILEGED")" \
    --clear-groups -- "$@"
}

# Every line of the log is a whole message: a stamp or 22 blanks, then
# text, then CR LF; no line is glued to another one's fragment.
expect_whole_lines() {
  local file=${1:-$LOG} bad
  [ -f "$file" ] || return 0
  bad=$(LC_ALL=C grep -cavE $'^([0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} - | {22})[^\r]*\r$' "$file")
  expect_eq "broken lines in $(basename "$file")" 0 "$bad"
  [ -z "$(tail -c 1 "$file" | tr -d '\n')" ] || fail "$(basename "$file") ends in a fragment"
}

# The unprivileged user holds an exclusive flock on $1 until release_lock;
# reading a directory is all that takes.
LOCKER=
hold_lock_as_user() {
  setsid setpriv --reuid="$UNPRIVILEGED" --regid="$(id -g "$UNPRIVILEGED")" \
    --clear-groups -- flock -o "$1" sleep 60 </dev/null >/dev/null 2>&1 &
  LOCKER=$!
  local i
  for ((i = 0; i < 50; i++)); do
    flock -n "$1" true 2>/dev/null || return 0
    sleep 0.1
  done
  fail "the user did not get the lock on $1"
}

release_lock() {
  [ -n "$LOCKER" ] && kill -- "-$LOCKER" 2>/dev/null
  wait "$LOCKER" 2>/dev/null
  LOCKER=
}
