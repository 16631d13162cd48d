# Daylight saving time ends at 03:00, and 02:00 to 03:00 comes twice. Wine's
# runtime takes TZ in the Windows form only, which has no European rules.
# The zone comes from tzdata, which .ci/run installs.
if on_wine; then
  export TZ=UTC
elif [ -f /usr/share/zoneinfo/Europe/Berlin ]; then
  export TZ=Europe/Berlin
else
  missing="$missing Europe/Berlin (Debian package tzdata)"
fi
{
  echo '25.10.2026 01:30:00 - Quillspur gestartet'
  for at in 01:30 02:00 02:30 02:00 02:30 03:00; do
    echo "25.10.2026 $at:00 - C: "
    echo "25.10.2026 $at:00 - S: exit 0"
    echo "25.10.2026 $at:00 - Programm beendet (iRC = 0, errno = 0)"
  done
} | write_log "$logdir/Quillspur.log"
