#!/bin/sh
# Runs a Windows program under Wine. The prefix lives in the build tree
# (WINEPREFIX, or build/windows/wineprefix beside this script), and a
# wineserver that stays a minute after the last program keeps every start
# after the first fast. Stop it at once with: WINEPREFIX=<prefix> wineserver -k
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/windows/wineprefix}"
WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: nothing here needs them.
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine's ANSI code page and its Unix names follow the locale: Windows-1252
# with UTF-8 names on disk, as on a Linux machine today.
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL
mkdir -p "$WINEPREFIX"
wineserver -p60 >/dev/null 2>&1 </dev/null
# Wine's service processes start with the first program a server runs and
# keep that program's output open until the server ends, so a test runner
# would wait for them. wineboot is that first program here, with no output
# to keep; it also makes the prefix when there is none.
# -o: the lock must not be inherited by the services, which outlive wineboot.
flock -o "$WINEPREFIX/.boot.lock" wineboot >/dev/null 2>&1 </dev/null
exec wine "$@"
