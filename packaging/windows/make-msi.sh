#!/bin/sh
# Makes the Windows Installer package (the build's msi target runs it):
#   make-msi.sh OUTPUT VERSION STRIP PROGRAM...
# The programs are stripped into a stage with the job file; wixl (msitools)
# builds the package from quillspur.wxs, and msibuild adds what wixl cannot
# express, below.
set -eu
out=$1 version=$2 strip=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
for tool in wixl msibuild; do
  command -v "$tool" >/dev/null ||
    { echo "make-msi.sh: $tool not found (Debian: wixl, msitools)" >&2; exit 1; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for program; do
  "$strip" -o "$stage/$(basename "$program")" "$program"
done
# Notepad and the profile functions alike read CR LF.
sed 's/$/\r/' "$here/jobs.ini" >"$stage/jobs.ini"

# wixl takes the files from the current directory only.
(cd "$stage" && wixl -a x64 -D Version="$version" -o quillspur.msi \
  "$here/quillspur.wxs")

# Component attributes: 256 64-bit, 16 permanent, 128 never overwritten,
# 4 a registry key path.
# RemoveExistingProducts before InstallInitialize: an upgrade removes the old
# version whole (its service stopped and deleted) before the new one goes in.
# The properties an administrator sets must reach the installation's server
# side, as for a group policy install: SecureCustomProperties.
# The service manager starts the service again a minute after its process
# died, each time; the count goes back to 0 after a day without a failure
# (MsiConfigureServices, Windows Installer 5.0).
msibuild "$stage/quillspur.msi" \
  -q "UPDATE \`Component\` SET \`Attributes\` = 400 WHERE \`Component\` = 'JobFile'" \
  -q "UPDATE \`Component\` SET \`Attributes\` = 276, \`Condition\` = 'LORVANTISPATH' WHERE \`Component\` = 'LorvantisPath'" \
  -q "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 1450 WHERE \`Action\` = 'RemoveExistingProducts'" \
  -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INSTALLDIR;LORVANTISPATH;SERVICEACCOUNT;SERVICEPASSWORD' WHERE \`Property\` = 'SecureCustomProperties'" \
  -q "CREATE TABLE \`MsiServiceConfigFailureActions\` (\`MsiServiceConfigFailureActions\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL, \`Event\` SHORT NOT NULL, \`ResetPeriod\` LONG, \`RebootMessage\` CHAR(255) LOCALIZABLE, \`Command\` CHAR(255) LOCALIZABLE, \`Actions\` CHAR(255), \`DelayActions\` CHAR(255), \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`MsiServiceConfigFailureActions\`)" \
  -q "INSERT INTO \`MsiServiceConfigFailureActions\` (\`MsiServiceConfigFailureActions\`, \`Name\`, \`Event\`, \`ResetPeriod\`, \`Actions\`, \`DelayActions\`, \`Component_\`) VALUES ('Quillspur', 'Quillspur', 1, 86400, '1', '60000', 'Service')" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('MsiConfigureServices', 'VersionNT >= 600', 5850)"

mv "$stage/quillspur.msi" "$out"
