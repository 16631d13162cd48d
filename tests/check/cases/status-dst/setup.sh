# Daylight saving time ends at 03:00, and 02:00 to 03:00 comes twice. Wine's
# runtime takes TZ in the Windows form only, which has no European rules.
if on_wine; then export TZ=UTC; else export TZ=Europe/Berlin; fi
write_log "$logdir/Quillspur.log" <<'LOG'
25.10.2026 01:30:00 - Quillspur gestartet
25.10.2026 01:30:00 - C: 
25.10.2026 01:30:00 - S: exit 0
25.10.2026 01:30:00 - Programm beendet (iRC = 0, errno = 0)
25.10.2026 02:00:00 - C: 
25.10.2026 02:00:00 - S: exit 0
25.10.2026 02:00:00 - Programm beendet (iRC = 0, errno = 0)
25.10.2026 02:30:00 - C: 
25.10.2026 02:30:00 - S: exit 0
25.10.2026 02:30:00 - Programm beendet (iRC = 0, errno = 0)
25.10.2026 02:00:00 - C: 
25.10.2026 02:00:00 - S: exit 0
25.10.2026 02:00:00 - Programm beendet (iRC = 0, errno = 0)
25.10.2026 02:30:00 - C: 
25.10.2026 02:30:00 - S: exit 0
25.10.2026 02:30:00 - Programm beendet (iRC = 0, errno = 0)
25.10.2026 03:00:00 - C: 
25.10.2026 03:00:00 - S: exit 0
25.10.2026 03:00:00 - Programm beendet (iRC = 0, errno = 0)
LOG
