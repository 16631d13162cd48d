# The log moved to .old in the middle of a pass; the last line starts the
# empty Run, which has no outcome and is no hang. Every Check is empty: the
# jobs are told apart by their order alone. The metrics give seconds since
# the epoch, so the stamps are read in one zone.
export TZ=UTC
write_log "$logdir/Quillspur.old" <<'LOG'
09.12.2026 01:00:00 - Quillspur gestartet
09.12.2026 01:00:00 - C: 
09.12.2026 01:00:00 - S: exit 0
09.12.2026 01:00:01 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 01:00:01 - C: 
09.12.2026 01:00:01 - S: 
09.12.2026 01:00:01 - C: 
09.12.2026 01:00:01 - S: exit 0
LOG
write_log "$logdir/Quillspur.log" <<'LOG'
09.12.2026 01:00:02 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 01:00:02 - C: 
09.12.2026 01:00:02 - S: exit 2
09.12.2026 01:00:03 - Programm beendet (iRC = 2, errno = 0)
09.12.2026 01:01:03 - C: 
09.12.2026 01:01:03 - S: exit 0
09.12.2026 01:01:03 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 01:01:03 - C: 
09.12.2026 01:01:03 - S: 
LOG
