#!/usr/bin/env bash
# Runs a command (as root) in a throwaway root that looks like the minimal
# systems on which namespace tests cannot give a namespace its own hosts
# file, to see that they skip there and say why:
#   nohosts    a root with no /etc/hosts; / is still a mount point
#   notmount   the same, and / is not a mount point (as in some chroots)
# The root is made of bind mounts of this system's /usr, /work, /proc, /sys
# and /dev, with a copy of /etc, in a mount namespace of its own; nothing
# outside changes, and it all goes when the command ends.
#
#   tests/support/minimal-root.sh nohosts sh -c 'cd build && ctest -L netns'
set -euo pipefail
mode="${1:?usage: minimal-root.sh nohosts|notmount COMMAND...}"; shift
case "$mode" in nohosts | notmount) ;; *) echo "unknown mode $mode" >&2; exit 2 ;; esac
root="$(mktemp -d /tmp/lf-minimal-root.XXXXXX)"
# Only empty folders and links stay behind once the mounts are gone.
trap 'rm -rf --one-file-system "$root"' EXIT
unshare --mount --propagation private bash -s "$mode" "$root" "$@" <<'INNER'
set -euo pipefail
mode="$1"; root="$2"; shift 2
# A bind of the folder onto itself makes it a mount point, and so the new /.
[ "$mode" = notmount ] || mount --bind "$root" "$root"
for d in usr work proc sys dev; do mkdir -p "$root/$d"; mount --rbind "/$d" "$root/$d"; done
for l in bin sbin lib lib64; do ln -s "usr/$l" "$root/$l"; done
mkdir -p "$root/etc" "$root/run" "$root/tmp" "$root/var"
mount -t tmpfs tmpfs "$root/etc"
cp -a /etc/. "$root/etc/"
rm -f "$root/etc/hosts"
mount -t tmpfs tmpfs "$root/run"
mount -t tmpfs tmpfs "$root/tmp"
ln -s ../run "$root/var/run"
exec chroot "$root" "$@"
INNER
