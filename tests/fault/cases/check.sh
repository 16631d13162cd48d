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
