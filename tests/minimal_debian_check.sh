#!/usr/bin/env bash
# Checks that `make run` and `make test` pass on a minimal Debian 12 that has nothing but `make`
# added: a clone of the repository in root's home (mode 700), everything else installed by the
# Makefile itself. Not part of CI: it needs root, debootstrap and an hour or more.
#
#   tests/minimal_debian_check.sh CHROOT REPOSITORY
#
#   CHROOT      the folder of the minimal system; made with debootstrap when it holds none yet
#               (remove it to start again from a bare system)
#   REPOSITORY  a git checkout; its HEAD commit is cloned into CHROOT/root/zelnor
#   MIRROR      the Debian mirror (default http://deb.debian.org/debian)
#   JOBS        parallel jobs for both commands (default 2)
#
# Each command's output goes to the terminal; the time each took is printed at the end.
set -euo pipefail
chroot_dir=${1:?chroot folder}
repository=${2:?repository}
mirror=${MIRROR:-http://deb.debian.org/debian}
jobs=${JOBS:-2}

[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 1; }
command -v debootstrap >/dev/null ||
  { echo "debootstrap is missing: apt-get install debootstrap" >&2; exit 1; }
repository=$(cd "$repository" && pwd)
commit=$(git -C "$repository" rev-parse HEAD)
mkdir -p "$chroot_dir"
chroot_dir=$(cd "$chroot_dir" && pwd)

# Everything mounted below is unmounted on the way out, in the reverse order, whatever happens.
mounted=()
clone=""
# Processes started in the chroot that outlive the commands (wineserver stays a few seconds after
# its last client) keep /dev busy: they are given up to a minute to end by themselves.
left_in_chroot() {
  local process root
  for process in /proc/[0-9]*; do
    root=$(readlink "$process/root" 2>/dev/null) || continue
    [ "$root" = "$chroot_dir" ] && return 0
  done
  return 1
}
leave() {
  local i
  for ((i = 0; i < 60; i++)); do
    left_in_chroot || break
    sleep 1
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" || umount -l "${mounted[i]}" || true
  done
  if [ -n "$clone" ]; then rm -rf "$clone"; fi
}
trap leave EXIT
mount_into() {  # mount_into TARGET MOUNT-ARGUMENTS...
  local target=$chroot_dir$1
  shift
  mkdir -p "$target"
  mountpoint -q "$target" && return 0
  mount "$@" "$target"
  mounted+=("$target")
}
in_chroot() {
  chroot "$chroot_dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

if [ ! -x "$chroot_dir/usr/bin/apt-get" ]; then
  echo "== debootstrap --variant=minbase bookworm into $chroot_dir"
  debootstrap --variant=minbase bookworm "$chroot_dir" "$mirror"
  # The sources of an installed Debian 12: the release, its updates and its security fixes.
  cat > "$chroot_dir/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
fi

mount_into /proc -t proc proc
mount_into /dev --bind /dev
mount_into /dev/pts --bind /dev/pts
mount_into /dev/shm --bind /dev/shm
cp -L /etc/hosts /etc/resolv.conf "$chroot_dir/etc/"

if ! in_chroot dpkg -s make >/dev/null 2>&1; then
  echo "== adding make"
  in_chroot apt-get update -q
  in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -q make
fi

# git may not be in the chroot: the clone is made outside and copied in, with root's home
# closed to every other user as on an installed system.
echo "== cloning $commit into /root/zelnor"
clone=$(mktemp -d)
git clone -q "$repository" "$clone/zelnor"
git -C "$clone/zelnor" checkout -q "$commit"
rm -rf "$chroot_dir/root/zelnor"
cp -a "$clone/zelnor" "$chroot_dir/root/zelnor"
chmod 700 "$chroot_dir/root"

timed() {  # timed NAME COMMAND...: runs the command in the clone, prints how long it took
  local name=$1 start status=0
  shift
  echo "== $name"
  start=$(date +%s)
  in_chroot bash -c 'cd /root/zelnor && "$@"' bash "$@" || status=$?
  echo "== $name: exit $status after $(( $(date +%s) - start )) s"
  return "$status"
}
timed "make run" make run JOBS="$jobs"
timed "make test" make test JOBS="$jobs"
echo "== both commands passed on a minimal Debian 12"
