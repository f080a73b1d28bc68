#!/usr/bin/env bash
# Proves the README's commands on a machine nobody has touched: makes a clean root of the Debian
# release given (bookworm: Debian 12, trixie: Debian 13) with mmdebstrap, clones the commit
# under test (HEAD) into it, and runs there as root, each exactly as the README writes it:
#   test     the README's test command;
#   run      its run command under a private Xvfb (scripts/check-run-command.sh: the viewer's
#            window must come up showing the textured sample and quit cleanly);
#   package  scripts/build-package.sh (lintian included), then the package installed with apt
#            in a second clean root, a copy of the first taken before anything was installed,
#            where scripts/check-installed-package.sh tries it;
#   windows  the README's optional third command: the Windows program's builds and its Wine
#            suite (scripts/run-windows-tests.sh).
# Ends with one summary line; exit 0 only when every step asked for worked.
#
#   scripts/check-fresh-machine.sh RELEASE [STEP...]     (default: every step)
#
# Needs root (mmdebstrap, chroot, mounts), asked for with sudo otherwise. The Debian archive is
# the one this machine's own apt sources name (KORVALIN_DEBIAN_MIRROR, KORVALIN_DEBIAN_SECURITY
# to use others). Everything runs in private mount and process namespaces: what is mounted
# there and every process started there ends with them, also when a step fails or the script
# is interrupted; the roots are removed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -- "$0" "$@"
fi

usage="usage: check-fresh-machine.sh bookworm|trixie [test] [run] [package] [windows]"
release=${1:-}
case "$release" in
bookworm) release_name="Debian 12" ;;
trixie) release_name="Debian 13" ;;
*)
  echo "$usage" >&2
  exit 2
  ;;
esac
shift
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(test run package windows)
for step in "${steps[@]}"; do
  case "$step" in
  test | run | package | windows) ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
  esac
done
wanted() { [[ " ${steps[*]} " == *" $1 "* ]]; }
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

# The archive this machine installs from: the sites its package lists came from for its own
# release and that release's security updates.
archive_site() {
  apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 2>/dev/null |
    awk -v suite="$1" '$1 == suite { sub(/\/$/, "", $2); print $2; exit }'
}
host_release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
mirror=${KORVALIN_DEBIAN_MIRROR:-$(archive_site "$host_release")}
security=${KORVALIN_DEBIAN_SECURITY:-$(archive_site "$host_release-security")}
if [ -z "$mirror" ] || [ -z "$security" ]; then
  echo "fresh-machine: FAILED: no Debian archive in this machine's package lists (run" \
    "apt-get update, or set KORVALIN_DEBIAN_MIRROR and KORVALIN_DEBIAN_SECURITY)" >&2
  exit 1
fi

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

say "making a clean $release_name root in $target"
started=$SECONDS
mmdebstrap --quiet --variant=apt "$release" "$target" \
  "deb $mirror $release main" "deb $mirror $release-updates main" \
  "deb $security $release-security main" </dev/null
if wanted package; then cp -a "$target" "$clean"; fi
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

# Each step: its verdict and time go into the summary.
summary=""
failed=0
step_done() {
  local what=$1 status=$2 seconds=$3
  if [ "$status" -eq 0 ]; then
    summary+="$what passed in $seconds s; "
  else
    summary+="$what FAILED (exit $status) in $seconds s; "
    failed=1
  fi
}

if wanted test; then
  say "running the README's test command: $test_command"
  started=$SECONDS
  status=0
  run_in_root "$test_timeout" "$test_command" || status=$?
  step_done "\"$test_command\"" "$status" $((SECONDS - started))
fi

if wanted run; then
  say "running the README's run command under a private Xvfb: $run_command"
  started=$SECONDS
  status=0
  run_in_root "$run_timeout" "scripts/check-run-command.sh $(printf '%q' "$run_command")" ||
    status=$?
  step_done "\"$run_command\"" "$status" $((SECONDS - started))
fi

if wanted package; then
  say "building the Debian package and installing it in a clean root"
  started=$SECONDS
  status=0
  run_in_root "$run_timeout" "scripts/build-package.sh >/root/package-path" || status=$?
  if [ "$status" -eq 0 ]; then
    package=$(basename "$(cat "$target/root/package-path")")
    cp "$target/root/korvalin/build-package/$package" \
      "$target/root/korvalin/scripts/check-installed-package.sh" "$clean/root/"
    run_in "$clean" "$run_timeout" "./check-installed-package.sh ./$package" || status=$?
  fi
  step_done "the package" "$status" $((SECONDS - started))
fi

if wanted windows; then
  windows_command=$(readme_command "Build the Windows program")
  say "running the README's Windows command: $windows_command"
  started=$SECONDS
  status=0
  # The Windows step installs Wine, builds two programs and runs the Wine suite with an
  # installer round trip: it needs longer than a run command.
  run_in_root "${KORVALIN_FRESH_WINDOWS_TIMEOUT:-2400}" "$windows_command" || status=$?
  step_done "\"$windows_command\"" "$status" $((SECONDS - started))
fi

echo "fresh-machine: ${summary}(clean $release_name root, commit ${commit:0:12})"
[ "$failed" -eq 0 ]
