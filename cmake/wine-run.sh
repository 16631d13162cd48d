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
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.init.lock" sh -c \
    '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1; wineserver -w'
fi
wineserver -p60 >/dev/null 2>&1
exec wine "$@"
