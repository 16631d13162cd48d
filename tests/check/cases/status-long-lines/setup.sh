# The log is read in steps of 128 KB: a CR LF split by the end of the first,
# a line longer than a step, and a last line without its line end.
export TZ=UTC
# Passes of both jobs, a minute apart, to about 125,000 bytes.
awk 'BEGIN {
  print "09.12.2026 01:00:00 - Quillspur gestartet"
  for (m = 0; m < 400; m++) {
    t = sprintf("09.12.2026 %02d:%02d:00 - ", 1 + int(m / 60), m % 60)
    print t "C: a.txt"; print t "S: exit 0"
    print t "Programm beendet (iRC = 0, errno = 0)"
    print t "C: "; print t "S: exit 1"
    print t "Programm beendet (iRC = 1, errno = 0)"
  }
}' | write_log passes
write_log pass <<'LOG'
09.12.2026 08:40:00 - C: a.txt
09.12.2026 08:40:00 - S: exit 0
09.12.2026 08:40:00 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 08:40:00 - C: 
09.12.2026 08:40:00 - S: exit 1
LOG
write_log rest <<'LOG'
09.12.2026 08:40:01 - Programm beendet (iRC = 1, errno = 0)
LOG
# A line that puts the CR of B's failure at byte 131,071: lost, it would
# count one failure less.
fill=$((131071 - $(wc -c <passes) - 2 - $(wc -c <pass) - 59))
{
  cat passes
  head -c "$fill" /dev/zero | tr '\0' F
  printf '\r\n'
  cat pass rest
} >"$logdir/Quillspur.old"
write_log pass <<'LOG'
09.12.2026 09:00:00 - C: a.txt
09.12.2026 09:00:00 - S: exit 0
09.12.2026 09:00:02 - Programm beendet (iRC = 0, errno = 0)
09.12.2026 09:00:02 - C: 
09.12.2026 09:00:02 - S: exit 1
LOG
{
  head -c 140000 /dev/zero | tr '\0' x
  printf '\r\n'
  cat pass
  printf '09.12.2026 09:00:09 - Programm beendet (iRC = 1, errno = 0)'
} >"$logdir/Quillspur.log"
