#!/usr/bin/env bash
# Job passes per second of the native build and of the Windows build under
# Wine, on the same job file at Delay=0 (J jobs, two non-matching Check
# pieces each, as the benchmark's job-pass rows). Each program runs alone;
# its window starts at its first check line, so Wine's start-up does not
# count, and lasts at least SECONDS and until three passes are seen (at most
# MAX seconds). Passes are counted from the log's check lines, across
# rotations: the log is followed through an open descriptor, which keeps a
# rotated log readable to its end.
#
#   bench/wine_compare.sh [-j J] [-w SECONDS] [-m MAX] [NATIVE [WINDOWS_EXE]]
#
# Defaults: J=1000, 10 s, 600 s, build/default/quillspur and
# build/windows/quillspur.exe. Wine uses the Windows build's prefix (or
# WINEPREFIX); its server ends by itself a minute after the run.
set -u
export LC_ALL=C

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
jobs=1000
window=10
max=600
while getopts 'j:w:m:' opt; do
  case $opt in
    j) jobs=$OPTARG ;;
    w) window=$OPTARG ;;
    m) max=$OPTARG ;;
    *) sed -n '11p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
native=$(realpath "${1:-$top/build/default/quillspur}")
windows=$(realpath "${2:-$top/build/windows/quillspur.exe}")
wine_run=$top/cmake/wine-run.sh
for program in "$native" "$windows"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "no program: $program" >&2; exit 2; }
done

# The Wine prefix's product key is shared with the black-box cases.
if [ -z "${QS_BLACKBOX_LOCKED:-}" ]; then
  export QS_BLACKBOX_LOCKED=1
  exec flock -o "${TMPDIR:-/tmp}/quillspur-blackbox-$(id -u).lock" bash "$0" \
    -j "$jobs" -w "$window" -m "$max" "$native" "$windows"
fi

dir=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 -- "-$pid" 2>/dev/null
  "$wine_run" reg delete 'HKEY_LOCAL_MACHINE\Software\KESTRAN\LORVANTIS' /f >/dev/null 2>&1
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir" || exit 1

# The benchmark's job file, byte for byte.
awk -v jobs="$jobs" 'BEGIN {
  printf "[Quillspur]\r\nDelay=0\r\n\r\n"
  for (k = 1; k <= jobs; k++)
    printf "[J%05d]\r\nCheck=in\\a%05d.txt;in\\b%05d*.txt\r\nRun=echo %05d\r\n", k, k, k, k
}' >jobs.ini
mkdir in
for k in 1 2 3 4 5 6 7 8; do : >"in/c000$k.txt"; done
check=$'\xdc''berpr'$'\xfc''fe Datei(en): '
now() { echo "${EPOCHREALTIME/,/.}"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }

# Runs the program (command line in "$@") with its log at $log and prints
# check lines, seconds and passes per second.
measure() {
  local spool=$dir/spool fd next t0 t1 lines=0 polls=0 i
  : >"$spool"
  setsid "$@" >/dev/null 2>&1 </dev/null &
  pid=$!
  for ((i = 0; i < 3000; i++)); do
    grep -qaF "$check" "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || { echo "the program ended" >&2; return 1; }
    sleep 0.1
  done
  exec {fd}<"$log"
  cat <&"$fd" >/dev/null
  t0=$(now)
  while :; do
    sleep 0.02
    cat <&"$fd" >>"$spool"
    # Rotated, and the new log begun: the old one is complete, so read it to
    # its end and go on with the new one from its start.
    if ! [ "$log" -ef "/dev/fd/$fd" ] && exec {next}<"$log"; then
      cat <&"$fd" >>"$spool"
      exec {fd}<&-
      fd=$next
    fi 2>/dev/null
    t1=$(now)
    ((++polls % 25 == 0)) || continue
    lines=$(grep -acF "$check" "$spool")
    awk -v s="$(elapsed "$t0" "$t1")" -v w="$window" -v m="$max" \
      -v l="$lines" -v j="$jobs" 'BEGIN { exit !(s >= m || (s >= w && l >= 3 * j)) }' && break
  done
  lines=$(grep -acF "$check" "$spool")
  exec {fd}<&-
  # Quietly: the shell would report the kill.
  { kill -9 -- "-$pid"; wait "$pid"; } 2>/dev/null
  pid=
  awk -v l="$lines" -v j="$jobs" -v s="$(elapsed "$t0" "$t1")" 'BEGIN {
    printf "%d check lines in %.1f s: %.3f passes/s\n", l, s, l / j / s }'
}

log_below() { echo "$1/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log"; }

mkdir -p native/htdocs/LORVANTIS/lorvantis_php/log wine/htdocs/LORVANTIS/lorvantis_php/log
escaped=${dir//\\/\\\\}
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\r\n"Path"="%s/native"\r\n' \
  "$escaped" >registry.reg
wine_dir="Z:${dir//\//\\}"
# A server that is just ending refuses the first call now and then.
for try in 1 2 3; do
  "$wine_run" reg add 'HKEY_LOCAL_MACHINE\Software\KESTRAN\LORVANTIS' /v Path /t REG_SZ \
    /d "$wine_dir\\wine" /f >/dev/null 2>&1 && break
  [ "$try" -lt 3 ] || { echo "cannot set Wine's registry" >&2; exit 1; }
  sleep 2
done

echo "J=$jobs, Delay=0, window at least ${window} s and three passes"
log=$(log_below "$dir/native")
printf 'native:       '
measure env "QUILLSPUR_REGISTRY=$dir/registry.reg" "$native" "$dir/jobs.ini" || exit 1
log=$(log_below "$dir/wine")
printf 'Wine:         '
measure "$wine_run" "$windows" "$wine_dir\\jobs.ini" || exit 1
