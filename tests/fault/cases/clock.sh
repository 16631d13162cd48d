# The wall clock steps (a host that boots an hour ahead and is corrected,
# an admin's date command): stamps follow it, the cycle does not. libfaketime
# steps the clock of the monitor alone, and leaves the clocks that do not
# step (monotonic, boot time) real.

case_a_wall_clock_stepped_stalls_no_cycle() {
  local offset
  printf '[Quillspur]\nDelay=3\n[tick]\nRun=exit 0\n' >jobs.ini
  for offset in -1h +1h; do
    : >"$LOG"
    echo +0 >offset
    setsid env LD_PRELOAD="$(faketime -f +0 printenv LD_PRELOAD)" \
      FAKETIME_TIMESTAMP_FILE="$PWD/offset" FAKETIME_NO_CACHE=1 \
      FAKETIME_DONT_FAKE_MONOTONIC=1 "$program" jobs.ini >monitor.out 2>&1 &
    PID=$!
    wait_for_count "Starte Programm: exit 0" 1 || fail "$offset: the monitor did not start its job"
    # While the first cycle is waited out.
    echo "$offset" >offset
    wait_for_count "Starte Programm: exit 0" 3 8 || fail "$offset: the cycle stalled"
    stop_monitor
    local first last
    first=$(head -n 1 "$LOG" | cut -c12-13)
    last=$(tail -n 1 "$LOG" | cut -c12-13)
    [ "$first" != "$last" ] || fail "$offset: the stamps did not follow the wall clock"
  done
}
