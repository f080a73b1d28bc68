#!/usr/bin/env bash
# Proves the README's two commands on a machine nobody has touched: makes a clean Debian 12
# root with mmdebstrap, clones the commit under test (HEAD) into it, runs there as root the
# README's test command exactly as the README writes it, then its run command under a private
# Xvfb (scripts/check-run-command.sh: the viewer's window must come up showing the textured
# sample and quit cleanly). Then it builds the Debian package there (scripts/build-package.sh,
# lintian included) and installs it with apt in a second clean root, a copy of the first taken
# before anything was installed, where scripts/check-installed-package.sh tries it. Last, the
# README's optional third command there: the Windows program's builds and its Wine suite
# (scripts/run-windows-tests.sh).
# Ends with one summary line; exit 0 only when all four worked.
#
#   scripts/check-fresh-machine.sh
#
# Needs root (mmdebstrap, chroot, mounts), asked for with sudo otherwise, and the Debian
# archive (KORVALIN_DEBIAN_MIRROR, KORVALIN_DEBIAN_SECURITY to use others). Everything runs in
# private mount and process namespaces: what is mounted there and every process started there
# ends with them, also when a step fails or the script is interrupted; the root is removed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -- "$0" "$@"
fi

mirror=${KORVALIN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${KORVALIN_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}
test_timeout=${KORVALIN_FRESH_TEST_TIMEOUT:-3000}
run_timeout=${KORVALIN_FRESH_RUN_TIMEOUT:-900}
path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

say() { echo "[fresh-machine] $*" >&2; }

# The command in the indented line that follows the README paragraph starting with LEAD.
readme_command() {
  awk -v lead="$1" 'index($0, lead) == 1 { found = 1; next }
    found && /^    [^ ]/ { sub(/^    /, ""); print; exit }' "$repo/README.md"
}

test_command=$(readme_command "Run every test")
run_command=$(readme_command "Run the viewer")
if [ -z "$test_command" ] || [ -z "$run_command" ] ||
  [ -z "$(readme_command "Build the Windows program")" ]; then
  echo "fresh-machine: FAILED: the README's test or run command was not found" >&2
  exit 1
fi
commit=$(git -C "$repo" rev-parse HEAD)
[ -z "$(git -C "$repo" status --porcelain)" ] ||
  say "note: uncommitted changes are not part of the check; it tests commit ${commit:0:12}"

if ! command -v mmdebstrap >/dev/null; then
  say "installing mmdebstrap"
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap \
    >/dev/null
fi

# On disk, not in /tmp: the root grows to several gigabytes with the builds.
work=$(mktemp -d /var/tmp/korvalin-fresh-machine.XXXXXX)
target=$work/root
clean=$work/clean
inside_pid=""

cleanup() {
  local status=$?
  if [ -n "$inside_pid" ] && kill -0 "$inside_pid" 2>/dev/null; then
    kill -KILL "$inside_pid" 2>/dev/null || true # --kill-child takes the namespace with it
    wait "$inside_pid" 2>/dev/null || true
  fi
  # The mounts live in the private namespace; should one still show here, lift it before
  # removing anything, and never cross into another file system while removing.
  findmnt -rn -o TARGET | grep -F "$work/" | sort -r | xargs -r -n 1 umount -l || true
  rm -rf --one-file-system -- "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

say "making a clean Debian 12 root in $target"
started=$SECONDS
mmdebstrap --quiet --variant=apt bookworm "$target" \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
  "deb $security bookworm-security main" </dev/null
cp -a "$target" "$clean"
say "root ready in $((SECONDS - started)) s; cloning ${commit:0:12}"
git clone --quiet --no-hardlinks "$repo" "$target/root/korvalin"
git -C "$target/root/korvalin" checkout --quiet --detach "$commit"

# Runs a command line in ROOT as root, in a login-like environment, from the clone (or /root
# where there is none), within SECONDS; sysfs and a fresh /dev/shm are mounted for it and
# unmounted after it.
run_in() {
  local target=$1 seconds=$2 line=$3
  timeout --kill-after=30 "$seconds" \
    unshare --mount --pid --fork --kill-child --mount-proc="$target/proc" \
    bash -c 'set -u; target=$1; path=$2; line=$3
      mount -t sysfs -o ro sysfs "$target/sys"
      mount -t tmpfs -o mode=1777 tmpfs "$target/dev/shm"
      status=0
      chroot "$target" /usr/bin/env -i HOME=/root PATH="$path" LANG=C.UTF-8 TERM=dumb \
        bash -c "cd /root/korvalin 2>/dev/null || cd /root; $line" </dev/null || status=$?
      umount "$target/dev/shm" "$target/sys"
      exit "$status"' run-in-root "$target" "$path" "$line" &
  inside_pid=$!
  local status=0
  wait "$inside_pid" || status=$?
  inside_pid=""
  return "$status"
}
run_in_root() { run_in "$target" "$@"; }

say "running the README's test command: $test_command"
started=$SECONDS
test_status=0
run_in_root "$test_timeout" "$test_command" || test_status=$?
test_seconds=$((SECONDS - started))
say "test command exited $test_status after $test_seconds s"

say "running the README's run command under a private Xvfb: $run_command"
started=$SECONDS
run_status=0
run_in_root "$run_timeout" "scripts/check-run-command.sh $(printf '%q' "$run_command")" ||
  run_status=$?
run_seconds=$((SECONDS - started))

say "building the Debian package and installing it in a clean root"
started=$SECONDS
package_status=0
run_in_root "$run_timeout" "scripts/build-package.sh >/root/package-path" || package_status=$?
if [ "$package_status" -eq 0 ]; then
  package=$(basename "$(cat "$target/root/package-path")")
  cp "$target/root/korvalin/build-package/$package" \
    "$target/root/korvalin/scripts/check-installed-package.sh" "$clean/root/"
  run_in "$clean" "$run_timeout" "./check-installed-package.sh ./$package" || package_status=$?
fi
package_seconds=$((SECONDS - started))

windows_command=$(readme_command "Build the Windows program")
say "running the README's Windows command: $windows_command"
started=$SECONDS
windows_status=0
# The Windows step installs Wine twice over (64- and 32-bit), builds two programs and runs the
# Wine suite on both, with an installer round trip: it needs longer than a run command.
run_in_root "${KORVALIN_FRESH_WINDOWS_TIMEOUT:-2400}" "$windows_command" || windows_status=$?
windows_seconds=$((SECONDS - started))

verdict() { [ "$1" -eq 0 ] && echo "passed" || echo "FAILED (exit $1)"; }
summary="\"$test_command\" $(verdict "$test_status") in $test_seconds s;"
summary+=" \"$run_command\" $(verdict "$run_status") in $run_seconds s;"
summary+=" the package $(verdict "$package_status") in $package_seconds s;"
summary+=" \"$windows_command\" $(verdict "$windows_status") in $windows_seconds s"
summary+=" (clean Debian 12 root, commit ${commit:0:12})"
echo "fresh-machine: $summary"
[ "$test_status" -eq 0 ] && [ "$run_status" -eq 0 ] && [ "$package_status" -eq 0 ] &&
  [ "$windows_status" -eq 0 ]
