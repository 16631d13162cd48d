# The last line is a start without its outcome, 14 minutes ago.
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 02:00:00 - Quillspur gestartet
09.12.2026 02:00:00 - C: 
09.12.2026 02:00:00 - S: import.cmd
09.12.2026 02:02:00 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 02:02:00 - C: 
09.12.2026 02:02:00 - S: exit 0
09.12.2026 02:02:00 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 03:12:00 - C: 
09.12.2026 03:12:00 - S: import.cmd
LOG
