#!/usr/bin/env bash
# Usage: scripts/check-debian-release.sh [RELEASE]     (bookworm or trixie; trixie by default)
#        scripts/check-debian-release.sh RELEASE --enter [COMMAND]
#
# Does what a new user does on a fresh Debian RELEASE, in a minimal system made
# with debootstrap from Debian's archive and entered with chroot: the README's
# two commands (./run, whose set-up is scripts/setup.sh, headless so it ends
# with a screenshot, then ./test: the whole suite except the sanitizer build),
# then the Debian packages with dpkg-buildpackage, checked by lintian.
#
# Everything it keeps between runs lives outside the clone, in
# $QUORVEL_DEBIAN_CACHE/debian-RELEASE (default /var/cache/quorvel):
#   base/          the debootstrap result, never changed after it is made
#                  (made again when older than $QUORVEL_DEBIAN_BASE_DAYS, 30)
#   apt-archives/  the downloaded packages, so set-up downloads each once
#   ccache/        the compiler cache of builds in this release
#   root/          this run's system: a fresh copy of base/ each run, so the
#                  set-up always starts from what a new user has
#   last-run/      what the last run left to look at: screenshot, test log,
#                  packages, lintian's report
# A copy of the working tree (files git tracks or would track) is built in
# root/src/quorvel, never the clone itself, whose build/ belongs to this machine.
#
# Needs root, debootstrap and the archive; without one of them it says why and
# skips (exit 0).  Everything inside runs in namespaces of its own: the mounts
# (/proc, /sys, /dev, /dev/pts, /dev/shm, the caches) vanish with them even if
# this script is killed, and the build and the suite get a network of their
# own with loopback only, so their ports never meet this machine's.
#
# The second form enters the system the last run left (it stays after a
# failure) in the source folder, with the same mounts and network, and runs
# COMMAND there (an interactive shell without one).
# shellcheck disable=SC2016  # the commands for the chroot are expanded there
set -euo pipefail

me=check-debian-release
say() { echo "$me: $*" >&2; }
skip() {
  say "SKIPPED the Debian $release check: $*"
  exit 0
}
die() {
  say "FAILED: $*"
  exit 1
}

# --- Inside the namespaces (the script runs itself there) ---------------------
if [ "${1:-}" = --inside ]; then
  stage=$2 root=$3 cache=$4
  mounted=()
  # shellcheck disable=SC2317  # called by the trap
  unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
      umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
    done
  }
  # The namespace drops every mount when it ends; unmounting here as well keeps
  # the order right (the caches first) and leaves nothing if that ever changes.
  trap unmount_all EXIT
  mount_at() {
    local target=$1
    shift
    mount "$@" "$target"
    mounted+=("$target")
  }
  mount_at "$root/proc" -t proc proc
  mount_at "$root/sys" -t sysfs -o ro,nosuid,nodev,noexec sysfs
  mount_at "$root/dev" --bind /dev
  mount_at "$root/dev/pts" -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts
  mount_at "$root/dev/shm" -t tmpfs -o nosuid,nodev,mode=1777 shm
  mount_at "$root/var/cache/apt/archives" --bind "$cache/apt-archives"
  mount_at "$root/ccache" --bind "$cache/ccache"

  # shellcheck disable=SC2054  # the commas are ccache's
  in_root=(chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    DEBIAN_FRONTEND=noninteractive
    CCACHE_DIR=/ccache CCACHE_BASEDIR=/src CCACHE_MAXSIZE=6G
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    /bin/bash -euo pipefail -c)
  case $stage in
    setup)
      # The README's set-up alone, as ./run does it first: whatever ./test
      # and the packages need must come from it, or a fresh machine fails.
      "${in_root[@]}" '
        cd /src/quorvel
        scripts/setup.sh
        # Downloads the archive no longer has leave the cache.
        apt-get -qq autoclean'
      ;;
    build)
      ip link set lo up
      "${in_root[@]}" '
        cd /src/quorvel
        timed() {
          local start=$SECONDS status=0
          "$@" || status=$?
          echo "check-debian-release: [$((SECONDS - start)) s] $* (exit $status)" >&2
          return $status
        }
        ccache -z >/dev/null
        failed=0
        timed ./run || failed=1
        timed ./test || failed=1
        ccache -s | sed -n "/Hits:/p;/Misses:/p" | head -2 | sed "s/^/check-debian-release: ccache /" >&2
        if [ -f debian/control ]; then
          # The suite has just run; the packages build what they hold, on every core.
          export DEB_BUILD_OPTIONS="parallel=$(nproc) nocheck"
          if timed dpkg-buildpackage -us -uc -b; then
            timed lintian --info --display-info --fail-on error,warning ../*.changes \
              >../lintian.txt 2>&1 || failed=1
            cat ../lintian.txt
          else
            failed=1
          fi
        fi
        exit $failed'
      ;;
    enter)
      ip link set lo up
      "${in_root[@]}" "cd /src/quorvel && $5"
      ;;
  esac
  exit 0
fi

# --- Outside ------------------------------------------------------------------
release=${1:-trixie}
case $release in
  bookworm | trixie) ;;
  *)
    echo "usage: $0 [bookworm|trixie]" >&2
    exit 2
    ;;
esac
source_dir=$(cd "$(dirname "$0")/.." && pwd)
enter=
if [ "${2:-}" = --enter ]; then
  enter=${3:-exec bash -i}
  [ $# -le 3 ] || { echo "usage: $0 RELEASE --enter ['COMMAND']" >&2; exit 2; }
fi
mirror=${QUORVEL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${QUORVEL_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
cache=${QUORVEL_DEBIAN_CACHE:-/var/cache/quorvel}/debian-$release
base_days=${QUORVEL_DEBIAN_BASE_DAYS:-30}

[ "$(id -u)" -eq 0 ] ||
  skip "it needs root (debootstrap, chroot and mounts); run it as root, as CI does."
for tool in debootstrap unshare chroot mount ip wget tar; do
  command -v "$tool" >/dev/null ||
    skip "$tool is missing (apt-get install debootstrap util-linux iproute2 wget tar)."
done
[ -e "/usr/share/debootstrap/scripts/$release" ] ||
  skip "this debootstrap does not know $release (a newer debootstrap package does)."
unshare --mount --pid --fork --net true 2>/dev/null ||
  skip "this machine does not let root make mount, process and network namespaces (unshare)."
case $(realpath -m "$cache") in
  "$source_dir" | "$source_dir"/*) die "the cache $cache must live outside the clone." ;;
esac
if [ -n "$enter" ]; then
  [ -x "$cache/root/bin/bash" ] || die "no system of $release left by a run in $cache/root."
  exec unshare --mount --pid --fork --kill-child --net -- \
    "$source_dir/scripts/check-debian-release.sh" --inside enter "$cache/root" "$cache" "$enter"
fi

wget -q --spider --timeout=30 --tries=2 "$mirror/dists/$release/InRelease" ||
  skip "Debian's archive is unreachable ($mirror/dists/$release/InRelease)."

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock -n 9 || { say "another check of $release runs; waiting for it"; flock 9; }

start=$SECONDS
times=()
lap() {
  times+=("$(printf '%5d s  %s' $((SECONDS - lap_start)) "$1")")
  lap_start=$SECONDS
}
lap_start=$SECONDS

# --- The minimal system, made once --------------------------------------------
base=$cache/base
if [ -f "$base/.quorvel-base" ] && [ -z "$(find "$base/.quorvel-base" -mtime "+$base_days")" ]; then
  say "minimal $release system: $base (made $(cat "$base/.quorvel-base"))"
else
  say "making a minimal $release system with debootstrap from $mirror (a few minutes, once)"
  rm -rf "$base.new"
  # ccache only so that builds in it reuse earlier ones; the README's set-up
  # installs everything else.
  if ! debootstrap --variant=minbase --include=ccache "$release" "$base.new" "$mirror" \
    >"$cache/debootstrap.log" 2>&1; then
    tail -n 20 "$cache/debootstrap.log" >&2
    rm -rf "$base.new"
    if [ -f "$base/.quorvel-base" ]; then
      say "debootstrap failed (log: $cache/debootstrap.log); going on with the older system"
    else
      die "debootstrap failed (log: $cache/debootstrap.log)."
    fi
  else
    # The archive areas a freshly installed system has.
    cat >"$base.new/etc/apt/sources.list" <<EOF
deb $mirror $release main
deb $mirror $release-updates main
deb $security_mirror $release-security main
EOF
    # No service starts inside the chroot while packages are installed.
    printf '#!/bin/sh\nexit 101\n' >"$base.new/usr/sbin/policy-rc.d"
    chmod 755 "$base.new/usr/sbin/policy-rc.d"
    rm -rf "$base.new/var/cache/apt/archives"/*.deb
    date -u +%Y-%m-%dT%H:%MZ >"$base.new/.quorvel-base"
    rm -rf "$base"
    mv "$base.new" "$base"
  fi
  lap "debootstrap"
fi

# --- This run's system: a fresh copy ------------------------------------------
root=$cache/root
if grep -q " ${root}[/ ]" /proc/mounts; then
  die "something is still mounted under $root; unmount it first."
fi
rm -rf "$root"
cp -a "$base" "$root"
mkdir -p "$cache/apt-archives/partial" "$cache/ccache" "$root/ccache" "$root/src/quorvel"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
grep -qs '^127\.0\.0\.1[[:space:]].*localhost' "$root/etc/hosts" ||
  printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >>"$root/etc/hosts"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    tar -C "$source_dir" --null --ignore-failed-read -T - -cf - 2>/dev/null |
    tar -C "$root/src/quorvel" -xf -
else
  tar -C "$source_dir" --exclude='./build*' -cf - . | tar -C "$root/src/quorvel" -xf -
fi
lap "fresh copy of the system and the source"

inside() {
  unshare --mount --pid --fork --kill-child "$@" -- \
    "$source_dir/scripts/check-debian-release.sh" --inside "$stage" "$root" "$cache"
}
last=$cache/last-run
rm -rf "$last"
mkdir -p "$last"
keep_results() {
  cp -f "$root/src/quorvel/build/screenshot.png" "$last/" 2>/dev/null || true
  cp -f "$root/src/quorvel/build/Testing/Temporary/LastTest.log" "$last/" 2>/dev/null || true
  cp -f "$root/src"/*.deb "$root/src"/*.changes "$root/src/lintian.txt" "$last/" 2>/dev/null || true
}

status=0
say "set-up in $release: scripts/setup.sh (log: $last/setup.log)"
stage=setup
if ! inside >"$last/setup.log" 2>&1; then
  tail -n 30 "$last/setup.log" >&2
  die "the README's set-up failed in Debian $release (log: $last/setup.log)."
fi
lap "set-up (scripts/setup.sh)"

say "building and testing in $release: ./run, ./test$([ -f "$source_dir/debian/control" ] && echo ', dpkg-buildpackage, lintian') (log: $last/build.log)"
stage=build
inside --net >"$last/build.log" 2>&1 || status=$?
lap "./run, ./test$([ -f "$source_dir/debian/control" ] && echo ', packages')"
keep_results
grep "^$me: \[" "$last/build.log" >&2 || true
grep "^$me: ccache" "$last/build.log" >&2 || true
[ -f "$source_dir/debian/control" ] ||
  say "packages: skipped, there is no debian/ folder in this tree to build them from."

# This run's system stays for a look after a failure; the next run replaces it.
if [ "$status" -eq 0 ]; then
  rm -rf "$root"
  lap "clean-up"
fi

say "times in Debian $release:"
printf '%s\n' "${times[@]}" >&2
printf '%5d s  total\n' $((SECONDS - start)) >&2
if [ "$status" -ne 0 ]; then
  tail -n 60 "$last/build.log" >&2
  die "Debian $release: the build, the suite or the packages failed (log: $last/build.log)."
fi
say "Debian $release: set-up, ./run, ./test$([ -f "$source_dir/debian/control" ] && echo ' and the packages') pass."
