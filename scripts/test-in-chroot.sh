#!/usr/bin/env bash
# Runs the README's test command (scripts/test.sh) inside a Debian 12 chroot whose "/" is not a mount
# point, as in a build chroot or some containers, on the committed HEAD of this tree. As root:
#   scripts/test-in-chroot.sh [folder [command...]]
# folder defaults to build/chroot (made with debootstrap when missing), command to scripts/test.sh
# (run in the clone; e.g. a single build's ctest while looking into a failure).
# The chroot gets the host's Debian 12 apt sources (bookworm, bookworm-updates, bookworm-security, as
# `apt-get indextargets` lists them); TX_CHROOT_MIRROR=URL takes a Debian mirror instead (with
# TX_CHROOT_SECURITY=URL for the security updates, by default http://security.debian.org/debian-security),
# and so does a host without Debian 12 sources.
# The tree is cloned to /root/tessalundrix inside (fetched again on later runs, so the builds there
# are incremental). The script fails when the suites fail or when they leave anything in the
# chroot's /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
root=$(realpath -m "${1:-build/chroot}")
shift || true
command=${*:-scripts/test.sh}

if [ "$(id -u)" -ne 0 ]; then
  echo "scripts/test-in-chroot.sh runs as root (debootstrap, chroot and mounts)" >&2
  exit 1
fi

# "deb URI SUITE COMPONENTS" lines for the chroot's sources.list.
sources() {
  if [ -n "${TX_CHROOT_MIRROR:-}" ]; then
    echo "deb $TX_CHROOT_MIRROR bookworm main"
    echo "deb $TX_CHROOT_MIRROR bookworm-updates main"
    echo "deb ${TX_CHROOT_SECURITY:-http://security.debian.org/debian-security} bookworm-security main"
    return
  fi
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' 2>/dev/null |
    awk '$2 ~ /^bookworm(-updates|-security)?$/ { c[$1 " " $2] = c[$1 " " $2] " " $3 }
         END { for (k in c) print "deb " k c[k] }' | sort
}
list=$(sources || true)
mirror=$(echo "$list" | awk '$3 == "bookworm" { print $2; exit }')
if [ -z "$mirror" ]; then # no Debian 12 sources on the host
  TX_CHROOT_MIRROR=http://deb.debian.org/debian
  list=$(sources)
  mirror=$TX_CHROOT_MIRROR
fi

if [ ! -x "$root/usr/bin/apt-get" ]; then
  command -v debootstrap > /dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends debootstrap; }
  debootstrap --variant=minbase --include=git,ca-certificates bookworm "$root" "$mirror"
fi
echo "$list" > "$root/etc/apt/sources.list"
if mountpoint -q "$root"; then
  echo "$root is a mount point: its chroot's \"/\" would be one too" >&2
  exit 1
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

clone=$root/root/tessalundrix
if [ ! -d "$clone/.git" ]; then
  git clone -q --no-local "$src" "$clone"
else
  git -C "$clone" fetch -q "$src" HEAD
  git -C "$clone" checkout -q --detach FETCH_HEAD
fi
echo "== in the chroot $root: $(git -C "$clone" log --oneline -1)"

# The mounts live in a mount namespace of their own and go with it.
unshare --mount --propagation private bash -s "$root" "${JOBS:-$(nproc)}" "$command" <<'INNER'
set -euo pipefail
root=$1
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
before=$(ls -A "$root/tmp")
status=0
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
       LANG=C.UTF-8 JOBS="$2" CI=true COMMAND="$3" bash -c '
  if awk '\''$5 == "/" { found = 1 } END { exit !found }'\'' /proc/self/mountinfo; then
    echo "\"/\" is a mount point in the chroot" >&2; exit 1
  fi
  cd /root/tessalundrix && eval "$COMMAND"' || status=$?
left=$(comm -13 <(echo "$before") <(ls -A "$root/tmp"))
if [ -n "$left" ]; then
  echo "== the test run left in /tmp:" $left
  [ $status -ne 0 ] || status=1
fi
exit $status
INNER
