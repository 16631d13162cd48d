#!/usr/bin/env bash
# MSI test, on a built Windows tree:
#   packaging/windows/test-msi.sh build/windows
# Makes the Windows Installer package (the msi target) and checks its
# tables, then installs it under Wine in a prefix of its own
# (BUILD/msi-test/prefix, made anew each run): the install sets Path; the
# service writes the job file from its template and runs the monitor, which
# runs the jobs, their output going to output.log; a monitor that died is
# started again after the restart delay; a stop ends the monitor with its
# commands; an upgrade keeps the job file and Path and leaves one monitor;
# a downgrade is refused; an uninstall removes the programs and the service
# and keeps the job file, the logs and Path. Wine neither enforces ACLs nor keeps
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
check "the service starts automatically with its settings, each path quoted" \
  test "$(row ServiceInstall Quillspur)" \
  = 'Quillspur|Quillspur|Quillspur|16|2|1|||[SERVICEACCOUNT]|[SERVICEPASSWORD]|--jobs "[WORKDIR]jobs.ini" --directory "[WORKDIR]." --restart-delay [RESTARTDELAY]|Service|Watches for files and starts programs when they have arrived.'
check "the restart delay is 60 s unless RESTARTDELAY is given" \
  test "$(row Property RESTARTDELAY)" = 'RESTARTDELAY|60'
check "the package installs nothing in the working directory" \
  test -z "$(msiinfo export "$msi" File | tr -d '\r' | awk -F'\t' 'NR > 3 && $2 != "Service" && $2 != "Monitor" && $2 != "Check" && $2 != "Examples"')"
# Each custom action: its row (type, source, target) and where it runs.
action_is() {
  row CustomAction "$1" | grep -qxF "$1|$2" &&
    [ "$(row InstallExecuteSequence "$1")" = "$1|$3|$4" ]
}
check "the log directory is set before the costs are final" \
  action_is SetLogDirectory '51|LOGDIR|[INSTALLPATH]\htdocs\LORVANTIS\lorvantis_php\log|' \
  INSTALLPATH 990
check "icacls and reg are named before the costs are final" eval \
  'action_is SetIcacls "51|ICACLS|[System64Folder]icacls.exe|" 1 991 &&
   action_is SetReg "51|REG|[System64Folder]reg.exe|" 1 992 &&
   [ "$(seq_of CostFinalize)" -gt 992 ]'
# 3122: an exe named by a property, deferred, as SYSTEM, checked; 3186 the
# same unchecked.
check "Path is written deferred as SYSTEM, only with INSTALLPATH, never removed" \
  action_is WritePath '3122|REG|add HKLM\Software\KESTRAN\LORVANTIS /v Path /t REG_SZ /d "[INSTALLPATH]" /f|' \
  'INSTALLPATH AND NOT REMOVE="ALL"' 5010
check "no component owns Path" eval \
  '! msiinfo export "$msi" Registry | grep -q LORVANTIS'
acl_actions_placed() {
  local dir='"[WORKDIR]."' file='"[WORKDIR]jobs.ini"' not='NOT REMOVE="ALL"'
  action_is ResetWorkDir "3122|ICACLS|$dir /reset /Q|" "$not" 5801 &&
    action_is OwnWorkDir "3122|ICACLS|$dir /setowner *S-1-5-32-544 /Q|" "$not" 5802 &&
    action_is LockWorkDir "3122|ICACLS|$dir /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /Q|" "$not" 5803 &&
    action_is GrantWorkDir "3122|ICACLS|$dir /grant \"[SERVICEACCOUNT]:(OI)(CI)RX\" /Q|" \
      "$not AND SERVICEACCOUNT <> \"LocalSystem\"" 5804 &&
    action_is OwnJobFile "3186|ICACLS|$file /setowner *S-1-5-32-544 /Q|" "$not" 5805 &&
    action_is ResetJobFile "3186|ICACLS|$file /reset /Q|" "$not" 5806 &&
    [ "$(seq_of InstallServices)" -lt 5801 ] && [ "$(seq_of StartServices)" -gt 5806 ]
}
check "icacls runs deferred as SYSTEM before the service starts" acl_actions_placed
check "every custom action is checked above" \
  test "$(msiinfo export "$msi" CustomAction | tr -d '\r' | awk -F'\t' 'NR > 3 {print $1}' | sort | tr '\n' ' ')" \
  = 'GrantWorkDir LockWorkDir OwnJobFile OwnWorkDir ResetJobFile ResetWorkDir SetIcacls SetLogDirectory SetReg WritePath '
check "the properties reach the install's server side" eval \
  '[[ "$(row Property SecureCustomProperties)" =~ [\|\;]INSTALLPATH\;RESTARTDELAY\; ]]'
check "a downgrade is refused with a message" \
  test "$(row LaunchCondition 'NOT WIX_DOWNGRADE_DETECTED')" \
  = 'NOT WIX_DOWNGRADE_DETECTED|A newer version of Quillspur is already installed.'
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

# The zip, for those who copy the files by hand: the programs, the task,
# and the Windows examples, with CR LF, which change nothing as they come.
zip_name=quillspur-$version-Windows-x86_64
(cd "$build" && nice cpack -G ZIP) >>"$work/build.log" 2>&1
unzip -q -d "$work/zip" "$build/packages/$zip_name.zip" 2>/dev/null
zip_root=$work/zip/$zip_name/
examples=${zip_root}share/doc/quillspur/examples
zip_programs_ok() {
  local f
  for f in quillspur.exe quillspur-check.exe quillspur-service.exe \
    quillspur-task.xml install-task.ps1; do
    test -f "${zip_root}bin/$f" || return
  done
}
check "the zip holds the programs and the task" zip_programs_ok
check "the zip's job file is the Windows one" \
  cmp -s <(sed 's/$/\r/' "$(dirname "$0")/jobs.ini") "$examples/jobs.ini"
check "the zip's .reg sets nothing as it comes, an absolute Path when used" \
  eval '! grep -q "^[[\"]" "$examples/registry.reg" &&
    grep -qxF ";\"Path\"=\"C:\\\\Lorvantis\"$(printf "\r")" "$examples/registry.reg"'
check "the package carries the Windows examples" \
  test "$(msiinfo export "$msi" File | tr -d '\r' | awk -F'\t' '$2 == "Examples" {print $3}' | sort | tr '\n' ' ')" \
  = 'jobs.ini registry.reg '

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
# msiexec, its output (and that of the commands it runs) kept.
msiexec() { wine msiexec "$@" </dev/null >>"$work/wine.log" 2>&1; }
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
  local settings='--jobs "C:\ProgramData\Quillspur\jobs.ini" --directory "C:\ProgramData\Quillspur\." --restart-delay '$1
  [[ "$(reg_value "$services\\Quillspur" ImagePath)" =~ ^\"?C:\\Quillspur\\quillspur-service\.exe\"?\ (.*)$ ]] &&
    [ "${BASH_REMATCH[1]}" = "$settings" ]
}
# The Windows processes of this prefix whose command line matches.
monitors() {
  local pid
  for pid in $(pgrep -if "$1"); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null |
      grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
monitor_count_is() { [ "$(monitors 'quillspur\.exe' | wc -l)" -eq "$1" ]; }
# How many events so far had these inserts.
events_of() {
  tr -d '\r' <"$work/services.log" | sed -n 's/.*:ReportEventW //p' |
    grep -cxF "$1"
}
started_line='L"\"C:\\Quillspur\\quillspur.exe\" \"C:\\ProgramData\\Quillspur\\jobs.ini\""'
more_starts_than() { [ "$(events_of "$started_line")" -gt "$1" ]; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
grows() { [ "$(size_of "$1")" -gt "$2" ]; }
# Wine's installer leaves the image path unquoted, so a program path with a
# space would not start here: the programs go to C:\Quillspur. Nor does it
# find an installed product's directories by itself: INSTALLDIR is given to
# every msiexec.
programs=$drive/Quillspur
workdir=$drive/ProgramData/Quillspur
logfile=$drive/Lorvantis/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log
output=$workdir/output.log

check "msiexec installs it with Path, a restart delay and another account" \
  msiexec /i "$msi" /qn 'INSTALLDIR=C:\Quillspur' \
  'INSTALLPATH=C:\Lorvantis' RESTARTDELAY=2 \
  'SERVICEACCOUNT=NT AUTHORITY\LocalService'
for file in quillspur.exe quillspur-check.exe quillspur-service.exe \
  jobs-template.ini; do
  check "installed: $file" test -f "$programs/$file"
done
check "Path is set" path_is 'C:\Lorvantis'
# Outside the service manager the host says how it is run, and refuses a
# command line it cannot read.
w "$programs/quillspur-service.exe" --jobs 'C:\x.ini' >/dev/null 2>&1
check "the service program alone ends with 1" test $? -eq 1
w "$programs/quillspur-service.exe" --jobs 'C:\x.ini' --restart-delay 1m \
  >/dev/null 2>&1
check "a restart delay that is no number is refused" test $? -eq 2
check "the log directory is made" test -d "$(dirname "$logfile")"
# Right after an install a query of the service's key once found no value
# (Wine's service manager writing it, as the starting service sets its
# failure actions): the values are waited for.
account_is() { [ "$(reg_value "$services\\Quillspur" ObjectName)" = "$1" ]; }
check "the service's command line: the program, its settings quoted" \
  wait_for 5 image_path_ok 2
check "the service runs as the account given" \
  wait_for 5 account_is 'NT AUTHORITY\LocalService'
check "the event source names the service's message table" \
  test "$(reg_value "$services\\EventLog\\Application\\Quillspur" EventMessageFile)" \
  = 'C:\Quillspur\quillspur-service.exe'
check "icacls: only Administrators and SYSTEM write, the account reads" \
  same_calls 'NT AUTHORITY\LocalService'
check "the service is running after the install" wait_for 20 state_is RUNNING
check "the service writes the job file from its template" \
  wait_for 10 cmp -s "$programs/jobs-template.ini" "$workdir/jobs.ini"
template_ok() {
  local text
  text=$(tr -d '\r' <"$workdir/jobs.ini")
  [ "$(grep '^\[' <<<"$text")" = '[Quillspur]' ] &&
    grep -q '^;Run=move ' <<<"$text" && ! grep -q '^;Run=.*date' <<<"$text"
}
check "the template is a Windows job file with no job active" template_ok
check "writing the job file is reported to the event log" \
  reported 'L"C:\\Quillspur\\jobs-template.ini"'

# The admin's job file: one job that runs in every cycle and writes where
# it ran, one that prints, one that waits in a long command once wait.flag
# is there. The monitor would first wait out the template's cycle of a
# minute: the service is restarted with net.
printf '%s\r\n' '[Quillspur]' 'Delay=1' '[Where]' 'Run=cd >where.txt' \
  '[Print]' 'Run=echo printed by a job' \
  '[Wait]' 'Check=wait.flag' 'Run=ping -n 600 127.0.0.1 >nul' >"$workdir/jobs.ini"
cp "$workdir/jobs.ini" "$work/jobs.ini.admin"
# An output.log past its limit, which the next output moves aside.
head -c 1000001 /dev/zero | tr '\0' x >"$output"
w net stop Quillspur >/dev/null
check "net stop stops the service" wait_for 20 state_is STOPPED
w net start Quillspur >/dev/null
check "net start starts it" wait_for 20 state_is RUNNING

check "the service's monitor runs a job in the working directory" \
  wait_for 30 grep -sqi 'C:\\ProgramData\\Quillspur' "$workdir/where.txt"
check "the monitor logs to Path's log directory" \
  grep -q 'Quillspur gestartet' "$logfile"
check "the monitor's log grows" wait_for 10 grows "$logfile" "$(size_of "$logfile")"
check "a job's output goes to output.log" \
  wait_for 10 grep -sq 'printed by a job' "$output"
check "output.log past 1,000,000 bytes was moved to output.old" \
  test "$(size_of "$workdir/output.old")" -eq 1000001
check "the monitor's start is reported to the event log" \
  more_starts_than 0
touch "$workdir/wait.flag"
check "the monitor runs the long command" wait_for 30 running 'ping -n 600'

# A monitor that died is started again after the restart delay.
starts=$(events_of "$started_line")
killed=$(date +%s%N)
kill -KILL $(monitors 'quillspur\.exe')
check "the monitor's end is reported with its restart delay" \
  wait_for 10 reported 'L"2"'
check "the monitor is started again" wait_for 10 more_starts_than "$starts"
check "not before the delay" \
  test $(($(date +%s%N) - killed)) -ge 2000000000
check "one monitor runs again" wait_for 10 monitor_count_is 1

start=$SECONDS
w sc stop Quillspur >/dev/null
check "sc stop stops the service" wait_for 20 state_is STOPPED
echo "     stopped in $((SECONDS - start)) s"
check "the stop ended the monitor" gone 'quillspur\.exe'
check "the stop ended the command the monitor ran" gone 'ping -n 600'
check "the stop is reported to the event log" reported 'L"stop"'
w sc start Quillspur >/dev/null
check "sc start starts it" wait_for 20 state_is RUNNING

rm -f "$drive/icacls-calls.txt"
check "msiexec upgrades it, without properties" \
  msiexec /i "$next" /qn 'INSTALLDIR=C:\Quillspur'
check "the upgrade keeps the admin's job file" \
  cmp -s "$work/jobs.ini.admin" "$workdir/jobs.ini"
check "the upgrade keeps Path" path_is 'C:\Lorvantis'
check "one version is installed" \
  test "$(w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    tr -d '\r' | grep -c 'DisplayName *REG_SZ *Quillspur$')" -eq 1
check "the service runs as LocalSystem by default" \
  wait_for 5 account_is LocalSystem
check "the restart delay is 60 s by default" wait_for 5 image_path_ok 60
check "icacls: no grant for LocalSystem" same_calls ''
check "the service is running after the upgrade" wait_for 20 state_is RUNNING
check "the upgrade leaves one monitor" wait_for 10 monitor_count_is 1
sleep 2
check "and only one" monitor_count_is 1

# The service waits a minute to start the monitor again, and a stop in that
# minute stops it at once.
kill -KILL $(monitors 'quillspur\.exe')
check "the monitor's end is reported with the default delay" \
  wait_for 10 reported 'L"60"'
start=$SECONDS
w sc stop Quillspur >/dev/null
wait_for 20 state_is STOPPED
check "a stop while the monitor waits to be started again takes no minute" \
  test $((SECONDS - start)) -lt 15
w sc start Quillspur >/dev/null
wait_for 20 state_is RUNNING

# 1603: the launch condition failed; the newer version stays.
msiexec /i "$msi" /qn 'INSTALLDIR=C:\Quillspur'
check "a downgrade is refused" test $? -ne 0
check "the newer version stays" \
  test "$(w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    tr -d '\r' | sed -n 's/^ *DisplayVersion *REG_SZ *//p')" = "$version.1"

# Wine traces a warning's inserts as warn: only the monitor's ends, with
# their exit codes and delays, none that the failure actions were not set.
only_numbers_warned() {
  ! tr -d '\r' <"$work/services.log" | grep ':warn:eventlog:ReportEventW ' |
    grep -vqx '.*:ReportEventW L"[0-9]*"'
}
check "the service set its failure actions without a warning" only_numbers_warned

check "msiexec uninstalls it" msiexec /x "$next" /qn 'INSTALLDIR=C:\Quillspur'
for file in quillspur.exe quillspur-check.exe quillspur-service.exe \
  jobs-template.ini; do
  check "removed: $file" test ! -e "$programs/$file"
done
check "removed: the service" no_key "$services\\Quillspur"
check "removed: the event source" \
  no_key "$services\\EventLog\\Application\\Quillspur"
check "no monitor is left" gone 'quillspur\.exe'
check "uninstall keeps the job file" \
  cmp -s "$work/jobs.ini.admin" "$workdir/jobs.ini"
check "uninstall keeps the log" test -f "$logfile"
check "uninstall keeps output.log" test -s "$output"
check "uninstall keeps Path" path_is 'C:\Lorvantis'
report
