# Helpers for the black-box cases: each case_* function runs in a fresh
# temporary directory that is also the program's current directory.
# Expects: program (path of the executable), runner (array, may be empty).

LOG=/Quillspur.log
# The check message's prefix, in Windows-1252.
CHECK_LINE=$'\xdc''berpr'$'\xfc''fe Datei(en): '

PID=
failures=0

run_program() { "${runner[@]}" "$program" "$@"; }

start_monitor() {
  "${runner[@]}" "$program" "$@" >monitor.out 2>&1 &
  PID=$!
}

stop_monitor() {
  if [ -n "$PID" ]; then
    kill -9 "$PID" 2>/dev/null
    wait "$PID" 2>/dev/null
    PID=
  fi
}

fail() {
  echo "    $*"
  failures=$((failures + 1))
}

# The log's messages, one a line, without the 22-byte prefix and the CR.
messages() { [ -f "$LOG" ] && tr -d '\r' <"$LOG" | cut -c23-; }

count() { messages | grep -cF -- "$1"; }

# Waits until at least n messages contain text; 1 after timeout seconds.
wait_for_count() {
  local text=$1 n=$2 limit=$((${3:-20} * 10)) i
  for ((i = 0; i < limit; i++)); do
    [ "$(count "$text")" -ge "$n" ] && return 0
    sleep 0.1
  done
  return 1
}

expect_eq() {
  [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}

expect_contains() {
  [[ $1 == *"$2"* ]] || fail "missing in log: [$2]"
}

expect_absent() {
  [[ $1 != *"$2"* ]] || fail "unexpected in log: [$2]"
}

expect_running() {
  kill -0 "$PID" 2>/dev/null || fail "the monitor is not running"
}

# Every line starts with "dd.mm.yyyy hh:mm:ss - " or 22 blanks.
expect_stamped_lines() {
  local bad
  bad=$(tr -d '\r' <"$LOG" | grep -cvE '^([0-9]{2}\.[0-9]{2}\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} - | {22})')
  expect_eq "lines without prefix" 0 "$bad"
}

expect_crlf() {
  local lf crlf
  lf=$(grep -c '' "$LOG")
  crlf=$(grep -c $'\r$' "$LOG")
  expect_eq "lines ending in CR LF" "$lf" "$crlf"
}

run_cases() {
  local name dir before passed=0 failed=0
  for name in $(declare -F | awk '{print $3}' | grep '^case_'); do
    dir=$(mktemp -d)
    rm -f "$LOG"
    before=$failures
    pushd "$dir" >/dev/null || exit 1
    "$name"
    stop_monitor
    popd >/dev/null || exit 1
    if [ "$failures" -eq "$before" ]; then
      echo "ok   $name"
      passed=$((passed + 1))
    else
      echo "FAIL $name"
      [ -f "$LOG" ] && cat -v "$LOG" | sed 's/^/    | /'
      failed=$((failed + 1))
    fi
    rm -rf "$dir"
  done
  echo "blackbox: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
