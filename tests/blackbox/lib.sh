# Helpers for the black-box cases: each case_* function runs in a fresh
# temporary directory that is also the program's current directory.
# Expects: program (path of the executable), runner (array, may be empty).

# Cases log below an installation directory of their own; ROOT_LOG is where
# the log goes without one, in the root of a scratch place (on_scratch_root).
ROOT_LOG=
LOG=
# The check message's prefix, in Windows-1252.
CHECK_LINE=$'\xdc''berpr'$'\xfc''fe Datei(en): '

PID=
failures=0
skipped=

# Ends a case that does not apply here: to this build, or to a machine that
# lacks a capability (root, namespaces, mounts). It counts as skipped, with
# the reason; a case run by itself then exits 77, ctest's skip code.
skip() { skipped=$*; }

# A tool that .ci/run installs is required: without it the suite fails and
# names it, for a case that cannot look passes without testing anything.
require_tools() {
  local tool path missing=()
  for tool in "$@"; do
    path=$(command -v "$tool" 2>/dev/null)
    [ -n "$path" ] && [ -x "$path" ] || missing+=("$tool")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "missing tool: ${missing[*]} (.ci/run installs it)" >&2
  exit 1
}

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
  local i
  if [ -n "$PID" ]; then
    # Stopped before it is killed: a write under way ends before a stop
    # takes hold, but a kill cuts it, and the half message would join the
    # next one written to the same log.
    kill -STOP -- "-$PID" 2>/dev/null
    for ((i = 0; i < 100; i++)); do
      case $(sed 's/.*) //' "/proc/$PID/stat" 2>/dev/null | cut -c1) in
        T | Z | '') break ;;
      esac
      sleep 0.01
    done
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

# A case that uses the root directory begins with "on_scratch_root || return".
# The case then runs again where the root is a scratch place, and the outer
# call returns: under Wine the program's current drive is C: of the test's
# own prefix; natively / is an overlay of the machine's / with a scratch upper
# layer, in a private mount namespace, entered with chroot. So nothing reaches
# the machine's root. The case is skipped where neither is possible.
on_scratch_root() {
  [ -n "${SCRATCH_ROOT:-}" ] && return 0
  local SCRATCH_ROOT=1
  if on_wine; then
    on_wine_drive_c "${FUNCNAME[1]}"
  else
    in_overlay_root "${FUNCNAME[1]}"
  fi
  return 1
}

on_wine_drive_c() {
  local drive_c dir
  drive_c=$("${runner[@]}" winepath -u 'C:\' 2>/dev/null)
  [ -d "$drive_c" ] || { skip "Wine names no directory for C:"; return; }
  dir=$(mktemp -d -p "$drive_c") || { skip "C: of the Wine prefix is not writable"; return; }
  pushd "$dir" >/dev/null || return
  use_own_install_path
  local ROOT_LOG=${drive_c%/}/Quillspur.log
  "$1"
  popd >/dev/null || return
  rm -rf "$dir" "$ROOT_LOG"
}

in_overlay_root() {
  local scratch rc userns=()
  # Without root, a user namespace gives the rights to mount.
  [ "$(id -u)" -eq 0 ] || userns=(-r)
  scratch=$(mktemp -d)
  # The scratch layer is a tmpfs over $scratch, seen only in the namespace.
  # Exit code 125: no scratch root; otherwise the case's number of failures.
  unshare -m "${userns[@]}" bash -c '
    scratch=$1 program=$2 case_script=$3
    root=$scratch/root
    {
      mount -t tmpfs quillspur-scratch "$scratch" &&
        mkdir "$scratch/upper" "$scratch/work" "$root" &&
        mount -t overlay overlay \
          -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" "$root" &&
        for dir in /proc /dev "$PWD" "$(dirname "$program")"; do
          mkdir -p "$root$dir" && mount --rbind "$dir" "$root$dir" || exit 125
        done &&
        chroot "$root" true
    } 2>/dev/null || exit 125
    exec chroot "$root" bash -c "$case_script"
  ' bash "$scratch" "$program" "$(
    declare -f
    declare -p program runner PRODUCT_KEY CHECK_LINE
    printf 'SCRATCH_ROOT=1 ROOT_LOG=/Quillspur.log failures=0\n'
    printf 'trap stop_monitor EXIT\n'
    printf 'cd %q && use_own_install_path && %s\n' "$PWD" "$1"
    printf 'exit $((failures > 100 ? 100 : failures))\n'
  )"
  rc=$?
  rmdir "$scratch"
  if [ "$rc" -eq 125 ]; then
    skip "no private mount namespace with an overlay of / here"
  else
    failures=$((failures + rc))
  fi
}

# Runs every case_* function, or only ONLY_CASE (the runner's "--case NAME").
# Exit 0 when none failed; a single case that was skipped exits 77.
run_cases() {
  local name names dir before passed=0 failed=0 skips=0
  trap stop_monitor EXIT
  names=$(declare -F | awk '{print $3}' | grep '^case_')
  if [ -n "${ONLY_CASE:-}" ]; then
    grep -qxF -- "$ONLY_CASE" <<<"$names" || { echo "no such case: $ONLY_CASE" >&2; exit 1; }
    names=$ONLY_CASE
  fi
  for name in $names; do
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
  [ "$failed" -eq 0 ] || exit 1
  [ -n "${ONLY_CASE:-}" ] && [ "$skips" -gt 0 ] && exit 77
  exit 0
}
