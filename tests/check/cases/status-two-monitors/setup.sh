# A second monitor starts while the first runs [A]; the first goes on.
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 05:00:00 - Quillspur gestartet
09.12.2026 05:00:00 - C: a
09.12.2026 05:00:00 - S: run-a
09.12.2026 05:00:10 - Quillspur gestartet
09.12.2026 05:00:10 - C: a
09.12.2026 05:00:10 - C: b
09.12.2026 05:00:20 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 05:00:20 - C: b
09.12.2026 05:00:20 - C: c
09.12.2026 05:00:20 - C: c
LOG
