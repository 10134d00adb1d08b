#!/usr/bin/env bash
# Runs one of the toolbox's commands in a fresh minimal Debian, as a new user
# would: a minbase chroot made by debootstrap, a clean clone of one commit of
# this repository copied in, the command run inside, timed.
#
#   tests/chroot/fresh_debian.sh [--user] [--keep] [--dir DIR] RELEASE COMMAND [COMMIT]
#
#   RELEASE   bookworm (Debian 12) or trixie (Debian 13)
#   COMMAND   run (./run.sh), test (./test.sh), or any shell command, run
#             with bash -c in the clone
#   COMMIT    what to clone (default HEAD): a commit, branch or tag of the
#             repository this script lies in
#   --user    run the command as an ordinary user, "builder", who may use
#             sudo without a password (scripts/setup.sh then installs
#             through sudo), instead of as root
#   --keep    leave the chroot in place afterwards (it is removed otherwise)
#   --dir     where the chroot is made (default /var/tmp/fresh-debian)
#   MIRROR    (environment) the Debian mirror, default http://deb.debian.org/debian
#
# Needs root (debootstrap, chroot, mounts): run it as root or through sudo.
# Everything inside runs in mount and PID namespaces of its own: /proc,
# /sys, /dev, /dev/pts and /dev/shm are mounted there only, and they and
# every process left inside (a wineserver, say) end with the command, even
# when it is interrupted. The command's exit status is the script's; the
# last lines give the time each step took.
set -euo pipefail

usage() { sed -n '2,/^set -e/{/^#/s/^# \{0,1\}//p}' "$0" >&2; exit 2; }
self=$(readlink -f "$0")

# ---- Inside the namespaces: mounts, then the chroot ---------------------------
if [ "${1:-}" = "--inside" ]; then
  root=$2; shift 2
  mount -t proc proc "$root/proc"
  mount -t sysfs -o ro sysfs "$root/sys"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
  exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
       PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
fi

user=0 keep=0 base=/var/tmp/fresh-debian
while [ $# -gt 0 ]; do
  case "$1" in
    --user) user=1; shift ;;
    --keep) keep=1; shift ;;
    --dir) base=$2; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "fresh_debian: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -ge 2 ] && [ $# -le 3 ] || usage
release=$1 command=$2 commit=${3:-HEAD}
case "$release" in
  bookworm|trixie) ;;
  *) echo "fresh_debian: RELEASE is bookworm or trixie, not $release" >&2; exit 2 ;;
esac
case "$command" in
  run) command=./run.sh ;;
  test) command=./test.sh ;;
esac
if [ "$(id -u)" -ne 0 ]; then
  echo "fresh_debian: needs root (debootstrap, chroot, mounts): sudo $0 ..." >&2
  exit 2
fi
for tool in debootstrap unshare chroot git; do
  command -v "$tool" >/dev/null || { echo "fresh_debian: $tool is missing (apt-get install debootstrap git)" >&2; exit 2; }
done

# The commit, resolved here (the repository may belong to another user: git
# is told to trust it for these calls only).
repo=$(cd "$(dirname "$0")/../.." && pwd)
git_repo() { git -c safe.directory='*' -C "$repo" "$@"; }
sha=$(git_repo rev-parse --verify "$commit^{commit}")

mkdir -p "$base"
root=$(mktemp -d "$base/$release-XXXXXX")
chmod 755 "$root"
in_root() { unshare --mount --pid --fork --propagation private -- "$self" --inside "$root" "$@"; }

# Removes the chroot, unless asked to keep it; never while anything is
# mounted below it (the namespaces make that unlikely, this makes it sure).
cleanup() {
  local status=$?
  if grep -q " $root/" /proc/self/mounts 2>/dev/null; then
    echo "fresh_debian: something is still mounted below $root: left in place" >&2
  elif [ "$keep" -eq 1 ]; then
    echo "fresh_debian: the chroot is kept in $root"
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now() { date +%s; }
t0=$(now)
echo "== fresh_debian: debootstrap --variant=minbase $release into $root"
unshare --mount --propagation private -- \
  debootstrap --variant=minbase "$release" "$root" "${MIRROR:-http://deb.debian.org/debian}"
t1=$(now)

# Name resolution for apt, and no service started by a package's install.
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

# A clean clone of the commit, with nothing of this working tree but it.
home=/root
if [ "$user" -eq 1 ]; then
  home=/home/builder
  in_root /bin/sh -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends sudo'
  in_root /usr/sbin/useradd --create-home --shell /bin/bash builder
  echo 'builder ALL=(ALL) NOPASSWD: ALL' > "$root/etc/sudoers.d/builder"
  chmod 440 "$root/etc/sudoers.d/builder"
fi
src=$home/mextoolbox
git -c safe.directory='*' clone --quiet --no-local --no-checkout "$repo" "$root$src"
git -c safe.directory='*' -C "$root$src" fetch --quiet "$repo" "$sha"
git -c safe.directory='*' -C "$root$src" checkout --quiet --detach "$sha"
if [ "$user" -eq 1 ]; then
  in_root /bin/chown -R builder:builder "$src"
fi
t2=$(now)

who=root
if [ "$user" -eq 1 ]; then who=builder; fi
echo "== fresh_debian: $release, commit $sha, as $who: $command"
status=0
if [ "$user" -eq 1 ]; then
  in_root /usr/bin/sudo -u builder -H /bin/bash -c "cd $src && $command" || status=$?
else
  in_root /bin/bash -c "cd $src && $command" || status=$?
fi
t3=$(now)
echo "== fresh_debian: $release as $who: debootstrap $((t1 - t0)) s, clone $((t2 - t1)) s, $command $((t3 - t2)) s, exit status $status"
exit "$status"
