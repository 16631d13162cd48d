#!/bin/sh
# Makes the Windows Installer package (the build's msi target runs it):
#   make-msi.sh OUTPUT VERSION STRIP PROGRAM...
# The programs are stripped into a stage with the job file template; wixl (msitools)
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
sed 's/$/\r/' "$here/jobs.ini" >"$stage/jobs-template.ini"
sed 's/$/\r/' "$here/registry.reg" >"$stage/registry.reg"

# wixl takes the files from the current directory only.
(cd "$stage" && wixl -a x64 -D Version="$version" -o quillspur.msi \
  "$here/quillspur.wxs")

# Component attributes: 256 64-bit, 16 permanent.
# RemoveExistingProducts before InstallInitialize: an upgrade removes the old
# version whole (its service stopped and deleted) before the new one goes in.
# The properties an administrator sets must reach the installation's server
# side, as for a group policy install: SecureCustomProperties.
msibuild "$stage/quillspur.msi" \
  -q "UPDATE \`Component\` SET \`Attributes\` = 272 WHERE \`Component\` = 'WorkDir'" \
  -q "UPDATE \`Component\` SET \`Attributes\` = 272, \`Condition\` = 'INSTALLPATH' WHERE \`Component\` = 'LogDirectory'" \
  -q "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 1450 WHERE \`Action\` = 'RemoveExistingProducts'" \
  -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INSTALLDIR;INSTALLPATH;RESTARTDELAY;SERVICEACCOUNT;SERVICEPASSWORD' WHERE \`Property\` = 'SecureCustomProperties'"

mv "$stage/quillspur.msi" "$out"
