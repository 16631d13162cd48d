# [Old job] gave way to [New job] at 02:30; errno 2 after iRC 0 is shown,
# not judged. A Run line without "=" hides the Run after it: nothing runs.
touch -d '2026-12-09 02:30:00' jobs.ini
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 02:00:00 - Quillspur gestartet
09.12.2026 02:00:00 - C: in\*.csv
09.12.2026 02:00:00 - C: old\*.txt
09.12.2026 02:01:00 - C: in\*.csv
09.12.2026 02:01:00 - C: old\*.txt
09.12.2026 03:00:00 - C: in\*.csv
09.12.2026 03:00:00 - S: import.cmd
09.12.2026 03:00:05 - Programm beendet (iRC = 0, errno = 2)
09.12.2026 03:00:05 - C: new\*.txt
09.12.2026 03:00:05 - S: 
LOG
