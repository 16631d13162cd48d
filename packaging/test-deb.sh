#!/usr/bin/env bash
# Package test, on a built tree:
#   cmake --workflow --preset package && packaging/test-deb.sh build/package
# Makes the Debian package and the archive with cpack, checks what they hold,
# checks the unit (with and without the strict drop-in) with systemd-analyze
# in a scratch root, then installs the package into a throw-away copy of this
# machine: a private mount namespace without network whose root is an overlay
# of / with a scratch upper layer, entered with chroot. There the installed
# programs run by hand as the service user (systemd does not run here), and
# the package is removed and purged again. The machine itself is untouched.
set -uo pipefail
export LC_ALL=C

STATE=/var/lib/quillspur
LOGDIR=$STATE/htdocs/LORVANTIS/lorvantis_php/log

passed=0 failed=0 skips=0
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
skip() {
  echo "skip $1"
  skips=$((skips + 1))
}
report() {
  echo "${1}: $passed passed, $failed failed, $skips skipped"
  [ "$failed" -eq 0 ]
}
owned_by_user() { [ "$(stat -c %U:%G "$1")" = quillspur:quillspur ]; }
no_such() { [ ! -e "$1" ] && [ ! -L "$1" ]; }
# at_most FIGURE LIMIT: an exposure figure (such as 5.4) no greater than LIMIT.
at_most() {
  awk -v v="$1" -v max="$2" 'BEGIN { exit !(v ~ /^[0-9]+\.[0-9]$/ && v + 0 <= max + 0) }'
}

# Runs inside the throw-away root: install, use, remove, purge.
inside() {
  local deb=$1 log=$LOGDIR/Quillspur.log
  # A person's account of that name is never taken over as the service user.
  useradd -m -s /bin/bash quillspur
  check "an ordinary user quillspur: configuring fails and says why" \
    sh -c "! dpkg -i '$deb' >/tmp/refused 2>&1 && grep -q 'not a system user' /tmp/refused"
  check "an ordinary user quillspur: the package stays unconfigured" \
    test "$(dpkg-query -W -f='${db:Status-Status}' quillspur)" = half-configured
  dpkg --purge quillspur >/dev/null 2>&1
  userdel -r quillspur 2>/dev/null

  check "apt-get installs the package without the network" \
    apt-get install -y -q "$deb"
  for file in /usr/bin/quillspur /usr/lib/systemd/system/quillspur.service \
    /usr/share/man/man8/quillspur.8.gz /usr/share/doc/quillspur/README.md \
    /usr/share/doc/quillspur/copyright /usr/share/doc/quillspur/changelog.gz \
    /usr/share/doc/quillspur/docs/linux-package.md \
    /usr/share/doc/quillspur/examples/strict.conf \
    /etc/quillspur/jobs.ini /etc/quillspur/registry.reg; do
    check "installed: $file" test -f "$file"
  done
  check "conffiles: jobs.ini and registry.reg" \
    test "$(dpkg-query -W -f='${Conffiles}' quillspur | awk '{print $1}' | sort | xargs)" \
    = "/etc/quillspur/jobs.ini /etc/quillspur/registry.reg"
  check "registry store: Path is $STATE" \
    grep -qxF "\"Path\"=\"$STATE\"" /etc/quillspur/registry.reg
  check "system user quillspur with its own group, no login" \
    test "$(getent passwd quillspur | cut -d: -f4,6,7)" \
    = "$(getent group quillspur | cut -d: -f3):$STATE:/usr/sbin/nologin"
  check "quillspur is a system user" \
    test "$(id -u quillspur)" -lt 1000
  check "log directory owned by quillspur" owned_by_user "$LOGDIR"
  check "working directory owned by quillspur" owned_by_user "$STATE"
  check "nothing enabled" \
    test -z "$(find /etc/systemd/system -name quillspur.service 2>/dev/null)"

  local as_quillspur=(setpriv --reuid=quillspur --regid=quillspur --init-groups
    env -i PATH=/usr/bin:/bin)
  cd "$STATE" || return
  if [ -x /usr/bin/quillspur-check ]; then
    check "quillspur-check finds nothing wrong in the shipped set-up" \
      "${as_quillspur[@]}" /usr/bin/quillspur-check -q /etc/quillspur/jobs.ini
  else
    skip "quillspur-check: not built"
  fi

  # The admin's jobs: one that runs in every cycle, one that waits for a
  # file in an inbox below the working directory.
  mkdir inbox done && chown quillspur:quillspur inbox done
  printf '%s\n' '[Quillspur]' 'Delay=1' '[Who]' 'Run=id -un >who.txt' \
    '[Move]' 'Check=inbox/*.csv' 'Run=mv inbox/*.csv done/' \
    >/etc/quillspur/jobs.ini
  "${as_quillspur[@]}" /usr/bin/quillspur /etc/quillspur/jobs.ini &
  local monitor=$!
  sleep 1.5
  echo order >inbox/order.csv
  # A few cycles at most; on a busy machine they take longer.
  for _ in $(seq 50); do
    [ -f done/order.csv ] && break
    sleep 0.2
  done
  kill "$monitor"
  wait "$monitor" 2>/dev/null
  check "a job ran as quillspur in $STATE" \
    grep -qx quillspur "$STATE/who.txt"
  check "a relative Check path is taken from $STATE" \
    test -f "$STATE/done/order.csv"
  check "the log is in $LOGDIR" test -f "$log"
  check "the log is owned by quillspur" owned_by_user "$log"
  check "the log shows the start and the finished jobs" \
    sh -c "grep -q 'Quillspur gestartet' '$log' &&
      grep -q 'Programm beendet (iRC = 0, errno = 0)' '$log'"

  cp /etc/quillspur/jobs.ini /tmp/jobs.ini.admin
  check "reinstalling (as an upgrade does) keeps the admin's job file" \
    sh -c "dpkg -i '$deb' >/dev/null && cmp -s /tmp/jobs.ini.admin /etc/quillspur/jobs.ini"

  check "apt-get remove" apt-get remove -y -q quillspur
  check "removed: the program" no_such /usr/bin/quillspur
  check "removed: the unit" no_such /usr/lib/systemd/system/quillspur.service
  check "remove keeps the job file" \
    cmp -s /tmp/jobs.ini.admin /etc/quillspur/jobs.ini
  check "remove keeps the registry store" test -f /etc/quillspur/registry.reg
  check "remove keeps the log" test -f "$log"

  check "apt-get purge" apt-get purge -y -q quillspur
  check "purged: /etc/quillspur" no_such /etc/quillspur
  check "purged: the log directory" no_such "$STATE/htdocs"
  check "purge leaves what the jobs made" \
    test -f "$STATE/who.txt" -a -f "$STATE/done/order.csv"
  check "purge keeps the user" id -u quillspur >/dev/null
  check "dpkg knows nothing of the package" \
    test -z "$(dpkg-query -W -f='${db:Status-Status}' quillspur 2>/dev/null | grep -v not-installed)"
  report package-installed
}

# The throw-away root: runs this script's inside() there.
in_scratch_root() {
  local deb=$1 scratch=$2
  mount -t tmpfs tmpfs "$scratch" || return
  mkdir "$scratch/upper" "$scratch/work" "$scratch/root"
  if ! mount -t overlay overlay \
    -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" \
    "$scratch/root"; then
    skip "install into a scratch root: an overlay of / is refused here"
    return
  fi
  mount -t proc proc "$scratch/root/proc" &&
    mount --rbind /dev "$scratch/root/dev" &&
    mount -t tmpfs tmpfs "$scratch/root/run" &&
    mount -t tmpfs tmpfs "$scratch/root/tmp" &&
    cp "$0" "$deb" "$scratch/root/tmp/" || return
  # /run is empty: no systemd there for the maintainer scripts to call.
  chroot "$scratch/root" /bin/bash "/tmp/$(basename "$0")" --inside \
    "/tmp/$(basename "$deb")"
}

if [ "${1:-}" = --inside ]; then
  inside "$2"
  exit
fi
if [ "${1:-}" = --scratch-root ]; then
  in_scratch_root "$2" "$3"
  exit
fi

build=$(cd "${1:?usage: test-deb.sh BUILD-DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

# cpack's DEB generator needs dpkg-shlibdeps (dpkg-dev) and file; the unit is
# checked with systemd-analyze (systemd). Install what is missing, as CI does.
need=()
for pkg in dpkg-dev file systemd groff-base lintian; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
    need+=("$pkg")
done
if [ "${#need[@]}" -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}" ||
    { echo "cannot install ${need[*]}"; exit 1; }
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/packages/quillspur_${version}_$(dpkg --print-architecture).deb
rm -rf "$build/packages"
(cd "$build" && cpack) >"$scratch/cpack.log" 2>&1 || cat "$scratch/cpack.log"
check "cpack makes $(basename "$deb")" test -f "$deb"
check "cpack makes the archive" \
  test -f "$build/packages/quillspur-$version-Linux-$(uname -m).tar.gz"
if [ ! -f "$deb" ]; then
  report package
  exit
fi
check "the package depends on the C++ runtime it was built with" \
  sh -c "dpkg-deb -f '$deb' Depends | grep -q 'libstdc++6 (>='"
mkdir "$scratch/root"
dpkg-deb -x "$deb" "$scratch/root"
check "the installed programs read no test seam (QUILLSPUR_TEST_*)" \
  sh -c "! grep -l QUILLSPUR_TEST_ '$scratch'/root/usr/bin/*"
check "the program in the package is stripped" \
  sh -c "file -L '$scratch/root/usr/bin/quillspur' | grep -q ', stripped'"
for page in "$scratch"/root/usr/share/man/man8/*.8.gz; do
  check "manual page $(basename "$page") formats without warnings" \
    test -z "$(zcat "$page" | groff -man -ww -z 2>&1)"
done
# Debian's own checks: a tag that must stay would be overridden, with its
# reason, in an overrides file that the package ships.
check "lintian: no error or warning" \
  lintian --allow-root --fail-on error,warning "$deb"

# systemd-analyze in the scratch root, with the system's own units for the
# targets the unit names.
units=$scratch/root/usr/lib/systemd/system
cp -an /usr/lib/systemd/system/. "$units/"
analyze() {
  systemd-analyze "$1" --root="$scratch/root" "${@:2}" quillspur.service 2>&1
}
check "systemd-analyze verify: the unit" test -z "$(analyze verify --man=no)"
plain=$(analyze security --offline=true | sed -n 's/.*exposure level for quillspur.service: //p')
dropins=$scratch/root/etc/systemd/system/quillspur.service.d
mkdir -p "$dropins"
cp "$scratch/root/usr/share/doc/quillspur/examples/strict.conf" "$dropins/"
check "systemd-analyze verify: the unit with strict.conf" \
  test -z "$(analyze verify --man=no)"
strict=$(analyze security --offline=true | sed -n 's/.*exposure level for quillspur.service: //p')
echo "     systemd-analyze security: the unit $plain; with strict.conf $strict"
check "the unit's exposure is at most 7.0" at_most "${plain%% *}" 7.0
check "the exposure with strict.conf is at most 1.5" at_most "${strict%% *}" 1.5
check "strict.conf lowers the exposure" \
  awk -v a="${plain%% *}" -v b="${strict%% *}" 'BEGIN { exit !(b + 0 < a + 0) }'
check "the README gives these figures" \
  sh -c "grep -qF '**$(echo "$plain" | cut -d' ' -f1,2)**' '$here/../README.md' &&
    grep -qF '**$(echo "$strict" | cut -d' ' -f1,2)**' '$here/../README.md'"

# A prefix of one's own: every file below it, the unit naming it.
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install --prefix keeps below the prefix" \
  test -z "$(grep -v "^$prefix/" "$build/install_manifest.txt")"
check "the unit names the installed program and store" \
  sh -c "grep -qx 'ExecStart=$prefix/bin/quillspur $prefix/etc/quillspur/jobs.ini' '$prefix/lib/systemd/system/quillspur.service' &&
    grep -qx 'Environment=QUILLSPUR_REGISTRY=$prefix/etc/quillspur/registry.reg' '$prefix/lib/systemd/system/quillspur.service'"
echo changed >"$prefix/etc/quillspur/jobs.ini"
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install again keeps the job file" \
  grep -qx changed "$prefix/etc/quillspur/jobs.ini"

if [ "$(id -u)" -ne 0 ]; then
  skip "install into a scratch root: needs root"
elif ! unshare -m -n true 2>/dev/null; then
  skip "install into a scratch root: no private mount and network namespace here"
else
  mkdir "$scratch/ns"
  unshare -m -n --propagation private \
    bash "$0" --scratch-root "$deb" "$scratch/ns" >"$scratch/inside.log" 2>&1
  grep -E '^(ok|FAIL|skip) ' "$scratch/inside.log"
  passed=$((passed + $(grep -c '^ok ' "$scratch/inside.log")))
  failed=$((failed + $(grep -c '^FAIL ' "$scratch/inside.log")))
  skips=$((skips + $(grep -c '^skip ' "$scratch/inside.log")))
  if ! grep -qE '^(package-installed: |skip install into a scratch root)' \
    "$scratch/inside.log"; then
    echo "FAIL the scratch root did not finish"
    failed=$((failed + 1))
  fi
  # The whole story, where something failed.
  [ "$failed" -eq 0 ] || sed 's/^/     | /' "$scratch/inside.log"
fi
report package
