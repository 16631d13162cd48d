#!/usr/bin/env bash
# Soak: the monitor at Delay=0 with a job that matches, one that misses and
# one without a check, for a given time; RSS and open descriptors sampled
# every 10 s. Fails when RSS grows by more than 64 kB after the first sample
# or the descriptors change.
#   bench/soak.sh [seconds, default 600] [program, default build/default/quillspur]
set -u
seconds=${1:-600}
program=$(realpath "${2:-$(dirname "$0")/../build/default/quillspur}")
interval=10
max_growth_kb=64

dir=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 -- "-$pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir" || exit 1

logdir=$dir/install/htdocs/LORVANTIS/lorvantis_php/log
mkdir -p "$logdir" data
export QUILLSPUR_REGISTRY=$dir/registry.reg
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KESTRAN\\LORVANTIS]\r\n"Path"="%s"\r\n' \
  "$dir/install" >"$QUILLSPUR_REGISTRY"
: >data/ready.flg
cat >jobs.ini <<'INI'
[Quillspur]
Delay=0
[match]
Check=data\ready.flg;data\*.flg
Run=echo >>cycles.txt
[miss]
Check=data\ready.flg;data\absent.txt
Run=exit 1
[always]
Run=exit 3
INI

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
# The log is open while a message is written: the fewest of a few looks.
fds() {
  local i n least=
  for i in 1 2 3 4 5; do
    n=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
    [ -z "$least" ] || [ "$n" -lt "$least" ] && least=$n
    sleep 0.05
  done
  echo "$least"
}

setsid "$program" '.\jobs.ini' >monitor.out 2>&1 &
pid=$!
echo "soak: $seconds s, sample every $interval s"
printf '%6s %9s %10s %4s\n' "time" "cycles" "RSS kB" "fds"
first_rss= first_fds= last_rss= last_fds=
for ((t = interval; t <= seconds; t += interval)); do
  sleep "$interval"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "soak: the monitor ended after $t s"
    exit 1
  fi
  last_rss=$(rss) last_fds=$(fds)
  [ -z "$first_rss" ] && first_rss=$last_rss first_fds=$last_fds
  printf '%6s %9s %10s %4s\n' "$t" "$(wc -l <cycles.txt)" "$last_rss" "$last_fds"
done
cycles=$(wc -l <cycles.txt)
growth=$((last_rss - first_rss))
echo "soak: $cycles cycles in $seconds s; RSS $first_rss -> $last_rss kB" \
  "(growth $growth kB); descriptors $first_fds -> $last_fds;" \
  "log $(wc -c <"$logdir/Quillspur.log") bytes, .old $(stat -c %s "$logdir/Quillspur.old" 2>/dev/null || echo none)"
[ "$growth" -le "$max_growth_kb" ] && [ "$first_fds" -eq "$last_fds" ]
