# Helpers for the black-box cases: each case_* function runs in a fresh
# temporary directory that is also the program's current directory.
# Expects: program (path of the executable), runner (array, may be empty).

# Cases log below an installation directory of their own; ROOT_LOG is where
# the log goes without one.
ROOT_LOG=/Quillspur.log
LOG=
# The check message's prefix, in Windows-1252.
CHECK_LINE=$'\xdc''berpr'$'\xfc''fe Datei(en): '

PID=
failures=0
skipped=

# Ends a case that does not apply to this build; it counts as skipped.
skip() { skipped=$*; }

# Under Wine the registry is Wine's; natively it is a store file per case.
on_wine() { [ "${#runner[@]}" -gt 0 ]; }

PRODUCT_KEY='HKEY_LOCAL_MACHINE\Software\KESTRAN\LORVANTIS'

# A directory of the current case as the program names it.
program_path() {
  if on_wine; then
    local p="Z:$PWD/$1"
    echo "${p//\//\\}"
  else
    echo "$PWD/$1"
  fi
}

# The product's key with Path set to $1.
set_install_path() {
  if on_wine; then
    "${runner[@]}" reg add "$PRODUCT_KEY" /v Path /t REG_SZ /d "$1" /f >/dev/null 2>&1
  else
    local escaped=${1//\\/\\\\}
    printf 'REGEDIT4\r\n\r\n[%s]\r\n"Path"="%s"\r\n' "$PRODUCT_KEY" "$escaped" >"$QUILLSPUR_REGISTRY"
  fi
}

delete_product_key() {
  if on_wine; then
    "${runner[@]}" reg delete "$PRODUCT_KEY" /f >/dev/null 2>&1
  else
    printf 'REGEDIT4\r\n' >"$QUILLSPUR_REGISTRY"
  fi
  return 0
}

product_key_exists() {
  if on_wine; then
    "${runner[@]}" reg query "$PRODUCT_KEY" >/dev/null 2>&1
  else
    grep -qiF "[$PRODUCT_KEY]" "$QUILLSPUR_REGISTRY" 2>/dev/null
  fi
}

# Every case starts with an installation directory of its own, which holds
# the log directory.
use_own_install_path() {
  export QUILLSPUR_REGISTRY=$PWD/registry.reg
  mkdir -p install/htdocs/LORVANTIS/lorvantis_php/log
  set_install_path "$(program_path install)"
  LOG=$PWD/install/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log
}

run_program() { "${runner[@]}" "$program" "$@"; }

# The monitor runs in a process group of its own, so that stopping it also
# ends the commands it started.
start_monitor() {
  setsid "${runner[@]}" "$program" "$@" >monitor.out 2>&1 &
  PID=$!
}

stop_monitor() {
  if [ -n "$PID" ]; then
    kill -9 -- "-$PID" 2>/dev/null
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
  local name dir before passed=0 failed=0 skips=0
  trap stop_monitor EXIT
  for name in $(declare -F | awk '{print $3}' | grep '^case_'); do
    dir=$(mktemp -d)
    before=$failures
    pushd "$dir" >/dev/null || exit 1
    use_own_install_path
    "$name"
    stop_monitor
    popd >/dev/null || exit 1
    if [ -n "$skipped" ]; then
      echo "skip $name: $skipped"
      skipped=
      skips=$((skips + 1))
    elif [ "$failures" -eq "$before" ]; then
      echo "ok   $name"
      passed=$((passed + 1))
    else
      echo "FAIL $name"
      [ -f "$LOG" ] && cat -v "$LOG" | sed 's/^/    | /'
      failed=$((failed + 1))
    fi
    rm -rf "$dir"
  done
  echo "${SUITE:-blackbox}: $passed passed, $failed failed, $skips skipped"
  [ "$failed" -eq 0 ]
}
