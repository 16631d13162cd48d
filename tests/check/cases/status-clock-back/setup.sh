# Passes whose Checks follow each other: the minute turns in the middle of
# one, the clock is set back by a second in the middle of another and by a
# minute after it, a Check has a blank after it, and the last lines end in
# LF alone. The stamps are read in one zone.
export TZ=UTC
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 04:00:58 - Quillspur gestartet
09.12.2026 04:00:58 - C: a
09.12.2026 04:00:59 - C: b
09.12.2026 04:01:00 - C: c
09.12.2026 04:01:00 - S: run-c
09.12.2026 04:01:02 - Programm beendet (iRC = 1, errno = 0)
09.12.2026 04:01:02 - C: a
09.12.2026 04:01:01 - C: b
09.12.2026 04:00:30 - C: c 
LOG
printf '09.12.2026 04:00:31 - C: a\n09.12.2026 04:00:31 - C: b\n' |
  sed 's/C: /\xDCberpr\xFCfe Datei(en): /' >>"$logdir/Quillspur.log"
