# A line that is no log line, one that the monitor does not write, a Check
# whose stamp is bytes 0xFF, and the last one cut short without its line
# end.
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 06:00:00 - Quillspur gestartet
09.12.2026 06:00:00 - C: 
09.12.2026 06:00:00 - S: exit 0
09.12.2026 06:00:00 - Programm beendet (iRC = 0, errno = 0)
some text pasted into the log
09.12.2026 06:00:30 - Programm beendet (iRC = 0, errno = 0
09.12.2026 06:01:00 - C: 
LOG
printf '\377%.0s' {1..19} >>"$logdir/Quillspur.log"
printf ' - \334berpr\374fe Datei(en): \r\n' >>"$logdir/Quillspur.log"
printf '09.12.2026 06:01:00 - Starte Progr' >>"$logdir/Quillspur.log"
