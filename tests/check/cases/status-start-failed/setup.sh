# A command that could not be started: the failure quotes the Run whole,
# with the blank at its end that the start's line has lost. The metrics
# give seconds since the epoch, so the stamps are read in one zone.
export TZ=UTC
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 01:00:00 - Quillspur gestartet
09.12.2026 01:00:00 - C: 
09.12.2026 01:00:00 - S: exit 9 
LOG
printf '09.12.2026 01:00:00 - Fehler bei der Ausf\374hrung des Programms '\''exit 9 '\'''\'' (errno = 2)\r\n' >>"$logdir/Quillspur.log"
