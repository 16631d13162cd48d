# Sticky directories that everyone may write: the job file in one is the
# user's own and safe; the store in one is open to everyone itself; the log
# directory is missing below one, so anyone may make it.
mkdir -m 1777 drop
mv jobs.ini drop/
if ! on_wine; then
  mv registry.reg drop/
  export QUILLSPUR_REGISTRY=$PWD/drop/registry.reg
  chmod o+w drop/registry.reg
fi
rmdir install/htdocs/LORVANTIS/lorvantis_php/log
chmod o+wt install/htdocs/LORVANTIS/lorvantis_php
