# quillspur-check on a machine where users differ, and proof that it leaves
# everything as it was.

check_program() { echo "$(dirname "$program")/quillspur-check"; }

case_check_judges_access_as_the_service_user() {
  need_root || return
  # The case's own directory must be open to the service user.
  chmod 755 .
  mkdir secret
  : >secret/a.txt
  chmod 700 secret
  printf '[Quillspur]\nDelay=60\n[Secret]\nCheck=secret\\a.txt\nRun=exit 0\n' >jobs.ini
  local out
  out=$("$(check_program)" --job Secret '.\jobs.ini')
  [[ $out == *"[Secret]  would run"* ]] || fail "as root: $out"
  out=$("$(check_program)" --user "$UNPRIVILEGED" '.\jobs.ini')
  expect_eq "exit status as $UNPRIVILEGED" 1 $?
  [[ $out == *"[Secret]  would not run"* ]] || fail "as $UNPRIVILEGED: $out"
  [[ $out == *"no match: permission denied: secret"* ]] || fail "no reason: $out"
  [[ $out == *"so it reads the key read-only"* ]] || fail "the store is root's: $out"
  [[ $out == *"[log-not-writable]"* ]] || fail "the log is root's: $out"
}

case_check_creates_no_key_and_no_log() {
  delete_product_key
  printf '[Quillspur]\nDelay=60\n[tick]\nRun=touch ran\n' >jobs.ini
  local before after out
  before=$(find . -printf '%p %s %T@ %m\n' | sort)
  out=$("$(check_program)" '.\jobs.ini')
  expect_eq "exit status" 1 $?
  after=$(find . -printf '%p %s %T@ %m\n' | sort)
  expect_eq "the case directory" "$before" "$after"
  product_key_exists && fail "the product key was created"
  [[ $out == *"[log-root-fallback]"* ]] || fail "$out"
}

# What the monitor trusts may belong to root or to its user, to none else;
# a link counts where its owner may replace it: in a sticky directory that
# others may write.
case_check_judges_owners_for_the_monitors_user() {
  need_root || return
  command -v setpriv >/dev/null || { skip "no setpriv"; return; }
  chmod 755 .
  printf '[Quillspur]\nDelay=60\n' >jobs.ini
  mkdir -m 1777 drop
  as_user ln -s ../jobs.ini drop/jobs.ini
  chown "$UNPRIVILEGED" registry.reg install/htdocs/LORVANTIS/lorvantis_php/log
  local out code
  out=$("$(check_program)" -q 'drop\jobs.ini')
  expect_eq "exit status as root" 1 $?
  for code in job-file-writable registry-writable log-directory-writable; do
    [[ $out == *"its owner $UNPRIVILEGED, "*"[$code]"* ]] || fail "no $code: $out"
  done
  [[ $out == *"chown -h root $PWD/drop/jobs.ini"* ]] || fail "the link's mend: $out"
  out=$("$(check_program)" -q --user "$UNPRIVILEGED" 'drop\jobs.ini')
  expect_eq "exit status as $UNPRIVILEGED" 0 $?
  expect_eq "findings as $UNPRIVILEGED" "" "$out"
}

# A group other than root's may write only where it is the user's own and
# has no other member. On Debian nobody's group nogroup is also sync's;
# daemon's group is its alone.
case_check_trusts_only_the_users_own_group() {
  need_root || return
  chmod 755 .
  mkdir conf
  printf '[Quillspur]\nDelay=60\n' >conf/jobs.ini
  chmod g+w conf
  chgrp nogroup conf
  local out
  out=$("$(check_program)" -q --user nobody 'conf\jobs.ini')
  expect_eq "exit status for nobody" 1 $?
  [[ $out == *"the directory $PWD/conf above the job file can be changed by group nogroup, "*": chmod g-w $PWD/conf [job-file-writable]"* ]] ||
    fail "for nobody: $out"
  chgrp daemon conf
  out=$("$(check_program)" -q --user daemon 'conf\jobs.ini')
  [[ $out != *"[job-file-writable]"* ]] || fail "for daemon: $out"
}
