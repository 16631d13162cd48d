#!/usr/bin/env bash
# MSI test, on a built Windows tree:
#   packaging/windows/test-msi.sh build/windows
# Makes the Windows Installer package (the msi target) and checks its
# tables, then installs it under Wine in a prefix of its own
# (BUILD/msi-test/prefix, made anew each run): the service runs the monitor,
# which runs a job; a stop ends the monitor with its commands; an upgrade
# keeps the job file; an uninstall removes the programs and the service and
# keeps the job file, the log and Path. Wine neither enforces ACLs nor keeps
# an event log: icacls is a stand-in here that records how it was called,
# and the events are read from Wine's trace of them.
set -uo pipefail
export LC_ALL=C

passed=0 failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok   $what"
    passed=$((passed + 1))
  else
    echo "FAIL $what"
    failed=$((failed + 1))
  fi
}
report() {
  echo "msi: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

build=$(cd "${1:?usage: test-msi.sh BUILD-DIR}" && pwd)

# wixl and msibuild make the package; msiinfo reads it. Install what is
# missing, as CI does.
need=()
for pkg in wixl msitools; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
    need+=("$pkg")
done
# The package lists may be older than the packages: update them once.
if [ "${#need[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y "${need[@]}" ||
    { apt-get update && apt-get install -y "${need[@]}"; } ||
    { echo "cannot install ${need[*]}"; exit 1; }
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
msi=$build/packages/quillspur-$version-x64.msi
work=$build/msi-test
# A server that an earlier run left would outlive its prefix.
[ ! -d "$work/prefix" ] || WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
rm -rf "$work"
mkdir -p "$work"
nice cmake --build "$build" --target msi >"$work/build.log" 2>&1 ||
  cat "$work/build.log"
check "the msi target makes $(basename "$msi")" test -f "$msi"
[ -f "$msi" ] || { report; exit; }

# A row of a table, its fields joined by "|".
row() { msiinfo export "$msi" "$1" | tr -d '\r' | tr '\t' '|' | grep "^$2|"; }
seq_of() { row InstallExecuteSequence "$1" | awk -F'|' '{print $3}'; }
check "per machine" test "$(row Property ALLUSERS)" = 'ALLUSERS|1'
check "for x64" eval 'msiinfo suminfo "$msi" | grep -qx "Template: x64;1033"'
check "the service starts automatically with the quoted job file" \
  test "$(row ServiceInstall Quillspur)" \
  = 'Quillspur|Quillspur|Quillspur|16|2|1|||[SERVICEACCOUNT]|[SERVICEPASSWORD]|"[WORKDIR]jobs.ini"|Service|Watches for files and starts programs when they have arrived.'
check "failure actions: a restart after a minute, the count reset after a day" \
  test "$(row MsiServiceConfigFailureActions Quillspur)" \
  = 'Quillspur|Quillspur|1|86400|||1|60000|Service'
check "the failure actions are set between installing and starting the service" \
  test "$(seq_of InstallServices)" -lt "$(seq_of MsiConfigureServices)" -a \
  "$(seq_of MsiConfigureServices)" -lt "$(seq_of StartServices)"
acl_actions_placed() {
  local action
  for action in ResetWorkDir OwnWorkDir LockWorkDir GrantWorkDir OwnJobFile \
    ResetJobFile; do
    # 3122: an exe named by a property, deferred, as SYSTEM, checked.
    row CustomAction "$action" | grep -q "^$action|3122|ICACLS|" || return
    [ "$(seq_of "$action")" -gt "$(seq_of InstallServices)" ] &&
      [ "$(seq_of "$action")" -lt "$(seq_of StartServices)" ] || return
  done
}
check "icacls runs deferred as SYSTEM before the service starts" acl_actions_placed
check "an upgrade removes the old version before it installs" \
  test "$(seq_of RemoveExistingProducts)" -lt "$(seq_of InstallInitialize)"

# The version resource, in UTF-16 as Windows keeps it; a manifest without
# activeCodePage, which would change the code page of every byte logged.
resources_ok() {
  local wide narrow
  wide=$(strings -n 2 -el "$1") narrow=$(strings "$1")
  grep -qxF "$version" <<<"$wide" && grep -qx CompanyName <<<"$wide" &&
    grep -q 'level="asInvoker"' <<<"$narrow" &&
    grep -q '<supportedOS ' <<<"$narrow" && ! grep -q activeCodePage <<<"$narrow"
}
for exe in quillspur.exe quillspur-check.exe src/service/quillspur-service.exe; do
  check "$(basename "$exe"): version $version and its manifest" \
    resources_ok "$build/$exe"
done

# A second version, for the upgrade.
next=$work/quillspur-next.msi
sh "$(dirname "$0")/make-msi.sh" "$next" "$version.1" \
  "$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")" \
  "$build/quillspur.exe" "$build/quillspur-check.exe" \
  "$build/src/service/quillspur-service.exe" >>"$work/build.log" 2>&1

# Wine, in a prefix of its own, with a server of its own that this script
# ends. The first program that the server runs starts Wine's services, which
# keep its output: Wine's trace of the events that the service reports goes
# to services.log.
export WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES='icacls.exe=n;mscoree,mshtml='
mkdir -p "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null' EXIT
# Services started while the prefix is made lack the system's environment
# (no COMSPEC, so no command would run): the prefix is made first, and the
# server started again.
wineboot >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p >/dev/null 2>&1 </dev/null
WINEDEBUG=-all,+eventlog wineboot >/dev/null 2>"$work/services.log" </dev/null
drive=$WINEPREFIX/drive_c
w() { wine "$@" </dev/null 2>>"$work/wine.log"; }
# The stand-in icacls: each call's command line, one call a line.
printf '%s\n' '#include <stdio.h>' '#include <windows.h>' \
  'int main(void) {' \
  '  FILE* calls = fopen("C:\\icacls-calls.txt", "a");' \
  '  if (calls == NULL) return 1;' \
  '  fprintf(calls, "%s\n", GetCommandLineA());' \
  '  return fclose(calls) != 0;' '}' >"$work/icacls.c"
x86_64-w64-mingw32-gcc -o "$drive/windows/system32/icacls.exe" "$work/icacls.c"

# wait_for SECONDS COMMAND...: until the command succeeds.
wait_for() {
  local until=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$until" ] || return
    sleep 0.5
  done
}
state_is() { w sc query Quillspur | grep -q "STATE *: *[0-9]* *$1"; }
reg_value() {
  w reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
no_key() { ! w reg query "$1" >/dev/null; }
# Whether a program runs in this prefix, by a pattern of its command line.
running() {
  local pid
  for pid in $(pgrep -if "$1"); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null |
      grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
gone() { ! running "$1"; }
# The inserts of the events reported so far, one a line, as Wine quotes them.
reported() {
  tr -d '\r' <"$work/services.log" | sed -n 's/.*:ReportEventW //p' |
    grep -qxF "$1"
}
# What icacls was called with, after its own name.
acl_calls() {
  tr -d '\r' <"$drive/icacls-calls.txt" | sed 's/^.*icacls\.exe"\{0,1\} //'
}
lock_calls() {
  local dir='"C:\ProgramData\Quillspur\."'
  local file='"C:\ProgramData\Quillspur\jobs.ini"'
  printf '%s\n' "$dir /reset /Q" "$dir /setowner *S-1-5-32-544 /Q" \
    "$dir /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /Q"
  [ -z "$1" ] || echo "$dir /grant \"$1:(OI)(CI)RX\" /Q"
  printf '%s\n' "$file /setowner *S-1-5-32-544 /Q" "$file /reset /Q"
}
same_calls() { cmp -s <(lock_calls "$1") <(acl_calls); }
path_is() { [ "$(reg_value 'HKLM\Software\KESTRAN\LORVANTIS' Path)" = "$1" ]; }
services='HKLM\System\CurrentControlSet\Services'
image_path_ok() {
  [[ "$(reg_value "$services\\Quillspur" ImagePath)" =~ ^\"?C:\\Quillspur\\quillspur-service\.exe\"?\ \"C:\\ProgramData\\Quillspur\\jobs\.ini\"$ ]]
}
# Wine's installer leaves the image path unquoted, so a program path with a
# space would not start here: the programs go to C:\Quillspur. Nor does it
# find an installed product's directories by itself: INSTALLDIR is given to
# every msiexec.
programs=$drive/Quillspur
workdir=$drive/ProgramData/Quillspur
logfile=$drive/Lorvantis/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log

# The admin's job file, there before the install: one job that runs in every
# cycle and writes where it ran, one that waits in a long command.
mkdir -p "$workdir"
printf '%s\r\n' '[Quillspur]' 'Delay=1' '[Where]' 'Run=cd >where.txt' \
  '[Wait]' 'Run=ping -n 600 127.0.0.1 >nul' >"$workdir/jobs.ini"
cp "$workdir/jobs.ini" "$work/jobs.ini.admin"

check "msiexec installs it with Path and another account" \
  w msiexec /i "$msi" /qn 'INSTALLDIR=C:\Quillspur' \
  'LORVANTISPATH=C:\Lorvantis' 'SERVICEACCOUNT=NT AUTHORITY\LocalService'
for file in quillspur.exe quillspur-check.exe quillspur-service.exe; do
  check "installed: $file" test -f "$programs/$file"
done
check "the install keeps a job file that is there" \
  cmp -s "$work/jobs.ini.admin" "$workdir/jobs.ini"
check "Path is set" path_is 'C:\Lorvantis'
check "the log directory is made" test -d "$(dirname "$logfile")"
check "the service's command line: the program, the job file quoted" \
  image_path_ok
check "the service runs as the account given" \
  test "$(reg_value "$services\\Quillspur" ObjectName)" = 'NT AUTHORITY\LocalService'
check "the event source names the service's message table" \
  test "$(reg_value "$services\\EventLog\\Application\\Quillspur" EventMessageFile)" \
  = 'C:\Quillspur\quillspur-service.exe'
check "icacls: only Administrators and SYSTEM write, the account reads" \
  same_calls 'NT AUTHORITY\LocalService'
check "the service is running after the install" wait_for 20 state_is RUNNING

check "the service's monitor runs a job in the job file's directory" \
  wait_for 30 grep -sqi 'C:\\ProgramData\\Quillspur' "$workdir/where.txt"
check "the monitor logs to Path's log directory" \
  grep -q 'Quillspur gestartet' "$logfile"
check "the monitor's start is reported to the event log" \
  reported 'L"\"C:\\Quillspur\\quillspur.exe\" \"C:\\ProgramData\\Quillspur\\jobs.ini\""'
check "the monitor runs the long command" wait_for 30 running 'ping -n 600'
start=$SECONDS
w sc stop Quillspur >/dev/null
check "sc stop stops the service" wait_for 20 state_is STOPPED
echo "     stopped in $((SECONDS - start)) s"
check "the stop ended the monitor" gone 'quillspur\.exe'
check "the stop ended the command the monitor ran" gone 'ping -n 600'
check "the stop is reported to the event log" reported 'L"stop"'

# A monitor that cannot start ends; the service waits a minute to start it
# again, and a stop in that minute stops it at once.
mv "$workdir/jobs.ini" "$work/jobs.ini.moved"
w sc start Quillspur >/dev/null
check "the monitor's end is reported to the event log" \
  wait_for 30 reported 'L"60"'
start=$SECONDS
w sc stop Quillspur >/dev/null
wait_for 20 state_is STOPPED
check "a stop while the monitor waits to be started again takes no minute" \
  test $((SECONDS - start)) -lt 15
mv "$work/jobs.ini.moved" "$workdir/jobs.ini"

rm -f "$drive/icacls-calls.txt"
check "msiexec upgrades it, without properties" \
  w msiexec /i "$next" /qn 'INSTALLDIR=C:\Quillspur'
check "the upgrade keeps the admin's job file" \
  cmp -s "$work/jobs.ini.admin" "$workdir/jobs.ini"
check "one version is installed" \
  test "$(w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    tr -d '\r' | grep -c 'DisplayName *REG_SZ *Quillspur$')" -eq 1
check "the service runs as LocalSystem by default" \
  test "$(reg_value "$services\\Quillspur" ObjectName)" = LocalSystem
check "icacls: no grant for LocalSystem" same_calls ''
check "the service is running after the upgrade" wait_for 20 state_is RUNNING

check "msiexec uninstalls it" w msiexec /x "$next" /qn 'INSTALLDIR=C:\Quillspur'
for file in quillspur.exe quillspur-check.exe quillspur-service.exe; do
  check "removed: $file" test ! -e "$programs/$file"
done
check "removed: the service" no_key "$services\\Quillspur"
check "removed: the event source" \
  no_key "$services\\EventLog\\Application\\Quillspur"
check "no monitor is left" gone 'quillspur\.exe'
check "uninstall keeps the job file" \
  cmp -s "$work/jobs.ini.admin" "$workdir/jobs.ini"
check "uninstall keeps the log" test -f "$logfile"
check "uninstall keeps Path" path_is 'C:\Lorvantis'
report
