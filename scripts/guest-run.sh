#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one command on Debian's own kernel, in a virtual machine, with this machine's root as its
# root (read-only), so that tests meet the kernel's own drivers (vfat, exfat, cifs) on machines
# whose kernel lacks them. The kernel comes from Debian's package, unpacked into a cache, never
# installed over this machine's.
#
# Usage: scripts/guest-run.sh [--disk IMAGE] [--stick IMAGE] [--share DIR]
#                             [--cut pull|power --at MARK [--after MS]] [--] COMMAND [ARGUMENT]...
#   --disk IMAGE   a raw image as the next virtio disk (/dev/vda, /dev/vdb, …), written through
#                  to the image as the guest writes it, so a killed guest loses only what it had
#                  not yet written out, as a pulled stick or a power cut does
#   --stick IMAGE  the same, as a stick that --cut pull takes out
#   --share DIR    DIR writable at the same path in the guest (else all is read-only but /tmp)
#   --cut pull     once the guest prints a line holding MARK, and MS milliseconds later, every
#                  stick is pulled out; the guest goes on without them
#   --cut power    the same moment, the power cut: the guest ends there, its disks keep only
#                  what they had been written
# Prints the command's output and exits with its status; 125 when no guest could be started,
# 137 when the power was cut. The guest loads vfat, exfat, cifs, NFS's client and server, ext4,
# loop and SMB 3's ciphers, and its loopback is up. The folder it runs in and the command are reachable in the guest even
# under /tmp, where the guest has a /tmp of its own.
set -euo pipefail

disks=() sticks=() shares=() cut='' mark='' after=0
while [[ $# -gt 0 ]]; do
    case $1 in
    --disk) disks+=("$(realpath "$2")"); shift 2 ;;
    --stick) sticks+=(${#disks[@]}); disks+=("$(realpath "$2")"); shift 2 ;;
    --share) shares+=("$(realpath "$2")"); shift 2 ;;
    --cut) cut=$2; shift 2 ;;
    --at) mark=$2; shift 2 ;;
    --after) after=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
[[ $# -gt 0 ]] || { echo "usage: $0 [options] COMMAND..." >&2; exit 2; }
[[ -z $cut || ( $cut =~ ^(pull|power)$ && -n $mark ) ]] || { echo "--cut pull|power needs --at MARK" >&2; exit 2; }

unavailable() { echo "guest unavailable: $*" >&2; exit 125; }
command -v qemu-system-x86_64 >/dev/null || unavailable "qemu-system-x86_64 is not installed"
[[ -x /bin/busybox ]] || unavailable "busybox-static is not installed"

# Debian's kernel, unpacked once per version.
cache=${CORVANE_GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/corvane-guest}
package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ { print $2; exit }')
[[ -n $package ]] || unavailable "apt knows no linux-image-amd64 (run apt-get update)"
kernel_root=$cache/$package
if [[ ! -f $kernel_root/ready ]]; then
    rm -rf "$kernel_root" && mkdir -p "$kernel_root"
    (cd "$kernel_root" && apt-get download -qq "$package" >/dev/null 2>&1) ||
        unavailable "apt-get download $package failed"
    dpkg-deb -x "$kernel_root"/*.deb "$kernel_root" && rm "$kernel_root"/*.deb
    version=$(ls "$kernel_root/lib/modules")
    busybox depmod -b "$kernel_root" "$version"
    touch "$kernel_root/ready"
fi
version=$(ls "$kernel_root/lib/modules")
modules=$kernel_root/lib/modules/$version

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The initramfs: busybox, the modules that reach this machine's root through 9p, and the script.
initrd=$scratch/initrd
mkdir -p "$initrd"/{bin,dev,proc,sys,host,lib/modules/"$version"}
cp /bin/busybox "$initrd/bin/busybox"
wanted='virtio_pci|9pnet_virtio|9p'
awk -F': *' -v wanted="/($wanted)\\.ko" '$1 ~ wanted "$" { print $1; n = split($2, d, " "); for (i = 1; i <= n; i++) print d[i] }' \
    "$modules/modules.dep" | sort -u | while read -r module; do
    mkdir -p "$initrd/lib/modules/$version/$(dirname "$module")"
    cp "$modules/$module" "$initrd/lib/modules/$version/$module"
done
cp "$modules"/modules.dep "$initrd/lib/modules/$version/"

{
    printf 'export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\n'
    printf 'export HOME=/root LANG=C.UTF-8 TMPDIR=/tmp CORVANE_IN_GUEST=1\n'
    { env | grep -E '^(QT_|CORVANE_)' || true; } | while IFS='=' read -r name value; do
        printf 'export %s=%q\n' "$name" "$value"
    done
    printf 'cd %q\n' "$PWD"
    printf 'exec'
    printf ' %q' "$@"
    printf '\n'
} >"$initrd/command"

# The shares, and the places under /tmp that the command needs (the guest's own /tmp would hide
# them), one a line.
for i in "${!shares[@]}"; do printf 'share%s %s\n' "$i" "${shares[$i]}"; done >"$initrd/shares"
for place in "$PWD" "$@"; do
    [[ $place == /tmp/?* && -e $place ]] || continue
    place=${place#/tmp/}
    echo "/tmp/${place%%/*}"
done | sort -u >"$initrd/kept"
cat >"$initrd/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
modprobe virtio_pci && modprobe 9pnet_virtio && modprobe 9p
mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose,msize=512000 host /host
mount -o bind "/host$modules" /lib/modules/$version
for module in virtio_blk loop vfat exfat cifs nfsd nfsv3 nfsv4 ext4 nls_utf8 nls_ascii nls_iso8859-1 nls_cp437 \\
              cmac ccm gcm ghash-generic gf128mul ctr sha512_generic crc32c_generic; do
    modprobe \$module
done
# The disks show as their driver finds them.
for _ in \$(seq 100); do
    [ \$(ls /sys/block | grep -c '^vd') -ge ${#disks[@]} ] && break
    sleep 0.1
done
for place in proc sys dev; do mount -o bind /\$place /host/\$place; done
ln -s /proc/self/fd /dev/fd
mkdir /hosttmp && mount -o bind /host/tmp /hosttmp
mount -t tmpfs tmp /host/tmp
while IFS= read -r place; do
    mkdir -p "/host\$place" && mount -o bind "/hosttmp\${place#/tmp}" "/host\$place"
done </kept
mount -t tmpfs run /host/run
while read -r tag place; do
    mkdir -p "/host\$place" 2>/dev/null
    mount -t 9p -o trans=virtio,version=9p2000.L,cache=mmap,msize=512000 "\$tag" "/host\$place"
done </shares
mkdir -p /host/dev/shm /host/dev/pts && mount -t tmpfs shm /host/dev/shm
mount -t devpts pts /host/dev/pts
ip link set lo up
cp /command /host/tmp/.guest-command
echo 1 > /proc/sys/kernel/printk
chroot /host /bin/sh /tmp/.guest-command </dev/null
echo "guest command exited \$?"
sync
poweroff -f
EOF
chmod +x "$initrd/init"
(cd "$initrd" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$scratch/initrd.gz"

# Nested KVM may refuse the guest's registers or hang it: KVM is used only where a kernel boots
# on it, which is asked once per boot of this machine.
accel=(-accel tcg,thread=multi -cpu max)
verdict=$cache/kvm-$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || echo unknown)
if [[ ! -f $verdict ]]; then
    rm -f "$cache"/kvm-*
    booted=''
    [[ -w /dev/kvm ]] && booted=$(timeout 20 qemu-system-x86_64 -accel kvm -cpu host -m 256 \
        -display none -monitor none -serial stdio -no-reboot -append "console=ttyS0 panic=-1" \
        -kernel "$kernel_root/boot/vmlinuz-$version" </dev/null 2>&1 || true)
    [[ $booted == *'Kernel panic'* ]] && echo kvm >"$verdict" || echo tcg >"$verdict"
fi
[[ $(cat "$verdict") == kvm ]] && accel=(-accel kvm -cpu host)

# The monitor on two pipes, for pulling sticks; held open here, so that a write never waits.
mkfifo "$scratch/monitor.in" "$scratch/monitor.out"
exec {monitor_in}<>"$scratch/monitor.in" {monitor_out}<>"$scratch/monitor.out"
arguments=(-machine q35 "${accel[@]}" -smp 2 -m 2048 -display none -no-reboot
    -kernel "$kernel_root/boot/vmlinuz-$version" -initrd "$scratch/initrd.gz"
    -append "console=ttyS0 quiet loglevel=1 panic=-1 rdinit=/init"
    -serial stdio -monitor "pipe:$scratch/monitor" -pidfile "$scratch/qemu.pid"
    -virtfs local,path=/,mount_tag=host,security_model=passthrough,readonly=on,multidevs=remap)
for i in "${!shares[@]}"; do
    arguments+=(-virtfs "local,path=${shares[$i]},mount_tag=share$i,security_model=passthrough")
done
for i in "${!disks[@]}"; do
    arguments+=(-drive "file=${disks[$i]},format=raw,if=virtio,id=disk$i,cache=directsync")
done

cut_now() {
    if [[ $1 == power ]]; then
        kill -KILL "$(cat "$scratch/qemu.pid")"
    else
        for i in "${sticks[@]}"; do echo "drive_del disk$i"; done >&"$monitor_in"
    fi
}

status=137 # the guest cut off before its command ended
while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ $line =~ ^guest\ command\ exited\ ([0-9]+)$ ]]; then
        status=${BASH_REMATCH[1]}
    elif [[ ! $line =~ ^\[\ *[0-9.]+\]\ reboot:\ Power\ down$ ]]; then
        printf '%s\n' "$line"
    fi
    if [[ -n $cut && $line == *"$mark"* ]]; then
        (sleep "$(awk -v ms="$after" 'BEGIN { print ms / 1000 }')" && cut_now "$cut") &
        cut=''
    fi
done < <(qemu-system-x86_64 "${arguments[@]}" </dev/null 2>&1)
wait
exit "$status"
