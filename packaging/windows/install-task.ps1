<#
.SYNOPSIS
Installs Quillspur as a task that starts at system start-up.

.DESCRIPTION
Copies the programs from this directory to -InstallDir, makes the working
directory -WorkDir with a job file (jobs.ini, only when there is none yet),
sets the installation directory (the registry value Path) when -Path is
given, and registers the task "Quillspur" from quillspur-task.xml with these
paths. Run it again to update the programs; the job file stays.

Only Administrators and SYSTEM may change the working directory and the
files in it, for every Run command runs there as SYSTEM: give it a
directory of its own. An inbox below it that others fill needs a grant of
its own, which the installer leaves as it is, for instance:
  icacls C:\ProgramData\Quillspur\inbox /grant "Uploaders:(OI)(CI)M"

.EXAMPLE
powershell -ExecutionPolicy Bypass -File install-task.ps1 -Path D:\Apps\Lorvantis -Start
#>
#Requires -RunAsAdministrator
param(
  [string]$InstallDir = (Join-Path $env:ProgramFiles 'Quillspur'),
  [string]$WorkDir = (Join-Path $env:ProgramData 'Quillspur'),
  [string]$Path,
  [switch]$Start
)
$ErrorActionPreference = 'Stop'

New-Item -ItemType Directory -Force -Path $InstallDir, $WorkDir | Out-Null

function Invoke-Icacls {
  & icacls.exe @args | Out-Null
  if ($LASTEXITCODE -ne 0) { throw "icacls $args failed ($LASTEXITCODE)" }
}
# Every Run command runs as SYSTEM in the working directory, and cmd looks
# for a command in the current directory before PATH: only Administrators
# and SYSTEM (the task's account) may write there. ProgramData lets every
# user add files to its subdirectories, so nothing is inherited from it.
# SIDs, as the names depend on the language of Windows. Whoever made the
# directory or a file in it before keeps neither own rights nor the owner's.
$admins = '*S-1-5-32-544'
$system = '*S-1-5-18'
Invoke-Icacls $WorkDir /reset /Q
Invoke-Icacls $WorkDir /setowner $admins /Q
Invoke-Icacls $WorkDir /inheritance:r /grant:r "${admins}:(OI)(CI)F" "${system}:(OI)(CI)F" /Q
# Files directly in it, the job file among them, get only what they inherit
# from it; subdirectories keep their own rights (an inbox that others fill).
# A file whose owner keeps Administrators out stops the installation here.
Get-ChildItem -LiteralPath $WorkDir -File -Force | ForEach-Object {
  Invoke-Icacls $_.FullName /setowner $admins /Q
  Invoke-Icacls $_.FullName /reset /Q
}

foreach ($name in 'quillspur.exe', 'quillspur-check.exe', 'quillspur-task.cmd') {
  $file = Join-Path $PSScriptRoot $name
  if (Test-Path $file) { Copy-Item $file $InstallDir -Force }
}

$jobs = Join-Path $WorkDir 'jobs.ini'
if (-not (Test-Path $jobs)) {
  Set-Content -Path $jobs -Encoding Default -Value @(
    '; Quillspur job file, read afresh in every cycle. Relative Check paths',
    "; start in $WorkDir.",
    '[Quillspur]',
    'Delay=60',
    '',
    '; Remove the ";" in front of the three lines below to start a job:',
    ';[Import orders]',
    ';Check=inbox\orders.csv;inbox\orders.ready',
    ';Run=move inbox\orders.csv archive\ && del inbox\orders.ready')
}

if ($Path) {
  & reg.exe add 'HKLM\Software\KESTRAN\LORVANTIS' /v Path /t REG_SZ /d $Path /f /reg:64 | Out-Null
  if ($LASTEXITCODE -ne 0) { throw "reg add failed ($LASTEXITCODE)" }
  # The monitor never creates its log directory.
  New-Item -ItemType Directory -Force `
    -Path (Join-Path $Path 'htdocs\LORVANTIS\lorvantis_php\log') | Out-Null
}

# Each path stands in its own element of the definition.
$esc = { param($text) [System.Security.SecurityElement]::Escape($text) }
$command = & $esc (Join-Path $InstallDir 'quillspur-task.cmd')
$xml = Get-Content -Raw (Join-Path $PSScriptRoot 'quillspur-task.xml')
$xml = $xml.Replace(
  '<Command>C:\Program Files\Quillspur\quillspur-task.cmd</Command>',
  "<Command>$command</Command>")
$xml = $xml.Replace(
  '<Arguments>"C:\ProgramData\Quillspur\jobs.ini"</Arguments>',
  "<Arguments>&quot;$(& $esc $jobs)&quot;</Arguments>")
$xml = $xml.Replace(
  '<WorkingDirectory>C:\ProgramData\Quillspur</WorkingDirectory>',
  "<WorkingDirectory>$(& $esc $WorkDir)</WorkingDirectory>")
$definition = Join-Path $env:TEMP 'quillspur-task.xml'
Set-Content -Path $definition -Encoding Unicode -Value $xml
& schtasks.exe /Create /TN Quillspur /XML $definition /F
$created = $LASTEXITCODE
Remove-Item $definition
if ($created -ne 0) { throw "schtasks /Create failed ($created)" }

if ($Start) { & schtasks.exe /Run /TN Quillspur }
