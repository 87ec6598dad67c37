#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes a real volume to try Corvane on, as the tests do: an image mounted through FUSE or the
# kernel's own driver, as a USB stick or a player is, or a share of a server started on
# 127.0.0.1, mounted as a desktop or fstab mounts a NAS. Needs root.
#
# Usage: scripts/volume.sh up KIND DIR    mounts a new volume in the empty folder DIR, and prints
#                                         two lines: the folder to rename in, and the same folder
#                                         as the server holds it (the first again where no
#                                         server stands behind it)
#        scripts/volume.sh replug DIR     unmounts it and mounts it again, as a stick pulled out
#                                         and plugged in
#        scripts/volume.sh down DIR       unmounts it and stops its server
#        scripts/volume.sh options KIND   prints the kernel's driver of a kernel kind and the
#                                         mount options udisks2 or fstab give it
# KIND: local, fat (fusefat), exfat (exfat-fuse), ntfs (ntfs-3g), ntfs-ignoring-case
# (lowntfs-3g -o ignore_case), sshfs (to OpenSSH), samba (smbnetfs, the server in a network of
# its own), rclone, kernel-vfat, kernel-exfat, kernel-cifs (to Samba on this machine's 445),
# kernel-nfs and kernel-nfs3 (NFS 4.2 and 3, to the kernel's NFS server exporting an ext4 folder,
# the server in a network of its own); the kernel kinds on Debian's kernel through
# scripts/guest-run.sh where this kernel lacks the driver.
# Exits 125, saying why, where the kind cannot be had on this machine.
set -euo pipefail
export PATH=$PATH:/usr/sbin:/sbin

unavailable() { echo "$*" >&2; exit 125; }
usage() { echo "usage: $0 up KIND DIR | replug DIR | down DIR | options KIND" >&2; exit 2; }
need() { for tool; do command -v "$tool" >/dev/null || unavailable "$tool is not installed"; done; }
# Runs a tool; where it fails, what it said is the reason.
run() { "$@" >"$dir/said" 2>&1 || unavailable "$1 failed: $(tail -3 "$dir/said")"; }
# Waits up to ten seconds for a condition that comes a little after its tool returns.
await() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
mounted() { mountpoint -q "$dir/volume"; }
listening() { # PORT [PID whose network]
    local enter=()
    [[ -z ${2:-} ]] || enter=(nsenter "--net=/proc/$2/ns/net")
    [[ -n $("${enter[@]}" ss -Hltn "sport = :$1") ]]
}
# Runs a command as the NFS server's machine: in its network, with its own state folders.
in_server() { nsenter --target "$(cat "$dir/server.pid")" --net --mount --root --wd "$@"; }

kernel_driver() {
    case $kind in
    kernel-vfat) echo vfat shortname=mixed,utf8=1,flush ;;
    kernel-exfat) echo exfat iocharset=utf8 ;;
    kernel-cifs) echo cifs guest,vers=3.1.1 ;;
    kernel-nfs) echo nfs4 vers=4.2 ;;
    kernel-nfs3) echo nfs vers=3 ;;
    esac
}
served() { [[ $kind =~ ^(sshfs|samba|rclone|kernel-cifs|kernel-nfs3?)$ ]]; }

make_image() {
    need truncate
    truncate -s 64M "$dir/volume.img"
    case $kind in
    fat | kernel-vfat) need mkfs.vfat && run mkfs.vfat -F 32 "$dir/volume.img" ;;
    exfat | kernel-exfat) need mkfs.exfat && run mkfs.exfat "$dir/volume.img" ;;
    ntfs*) need mkntfs && run mkntfs -F -f -q "$dir/volume.img" ;;
    esac
    # exfat-fuse and the kernel mount block devices only. A stick of the kernel's drivers is
    # written through to its image, as to a device, where the image's own volume allows it
    # (tmpfs does not): a sync then costs what it costs on a device.
    if [[ $kind =~ ^(exfat|kernel-vfat|kernel-exfat)$ ]]; then
        need losetup
        losetup -f --show --direct-io=on "$dir/volume.img" >"$dir/loop" 2>/dev/null ||
            run losetup -f --show "$dir/volume.img"
        [[ -s $dir/loop ]] || cp "$dir/said" "$dir/loop"
    fi
}

start_server() {
    mkdir -p "$dir/served"
    case $kind in
    sshfs)
        need sshd ssh-keygen ss
        local port
        for _ in $(seq 20); do
            port=$((20000 + RANDOM % 40000))
            listening "$port" || break
        done
        echo "$port" >"$dir/port"
        for key in host-key user-key; do run ssh-keygen -q -t ed25519 -N '' -f "$dir/$key"; done
        mkdir -p /run/sshd
        cat >"$dir/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $port
HostKey $dir/host-key
AuthorizedKeysFile $dir/user-key.pub
PasswordAuthentication no
PermitRootLogin prohibit-password
StrictModes no
Subsystem sftp internal-sftp
PidFile none
EOF
        setsid "$(command -v sshd)" -D -e -f "$dir/sshd_config" >"$dir/server.log" 2>&1 &
        echo $! >"$dir/server.pid"
        await listening "$port" || unavailable "sshd did not listen: $(tail -3 "$dir/server.log")"
        ;;
    samba | kernel-cifs)
        need smbd ss
        mkdir -p "$dir/samba" "$dir/client/.smb"
        # The client finds the server on port 445 only; a share with no password.
        printf '[global]\nclient min protocol = SMB2\n' >"$dir/client/.smb/smb.conf"
        printf 'include /etc/smbnetfs.conf\nauth "guest" ""\n' >"$dir/client/.smb/smbnetfs.conf"
        cat >"$dir/smb.conf" <<EOF
[global]
interfaces = 127.0.0.1
bind interfaces only = yes
smb ports = 445
map to guest = Bad User
guest account = root
server role = standalone server
pid directory = $dir/samba
lock directory = $dir/samba
state directory = $dir/samba
cache directory = $dir/samba
ncalrpc dir = $dir/samba
private dir = $dir/samba
log file = $dir/samba/log
[music]
path = $dir/served
read only = no
guest ok = yes
force user = root
EOF
        # smbd makes a session of its own, which it ends whole when told to stop (so it must not
        # lead a group already). smbnetfs knows port 445 only, which another server may hold: its
        # smbd listens in a network of its own. The kernel client's guest is a machine of its own.
        local network=()
        [[ $kind == samba ]] && need unshare nsenter ip &&
            network=(unshare --net sh -c 'ip link set lo up && exec "$@"' sh)
        # smbd in the foreground stops at the end of its input: it holds both ends of a pipe.
        mkfifo "$dir/smbd-input"
        "${network[@]}" smbd --foreground -s "$dir/smb.conf" <>"$dir/smbd-input" \
            >"$dir/server.log" 2>&1 &
        echo $! >"$dir/server.pid"
        local own=''
        [[ $kind == samba ]] && own=$(cat "$dir/server.pid")
        await listening 445 "$own" || unavailable "smbd did not listen: $(tail -3 "$dir/server.log")"
        ;;
    kernel-nfs*)
        need mkfs.ext4 rpc.nfsd rpc.mountd rpc.statd rpcbind rpcinfo exportfs unshare nsenter ip
        grep -qw nfsd /proc/filesystems || unavailable "this kernel has no NFS server"
        truncate -s 64M "$dir/export.img"
        run mkfs.ext4 -q -F "$dir/export.img"
        run mount -o loop "$dir/export.img" "$dir/served"
        # The server is a machine of its own: a network and the state folders of its daemons,
        # which stay in the foreground of one process group, to end together.
        setsid unshare --net --mount sh -c 'ip link set lo up && mount -t tmpfs nfs /var/lib/nfs &&
            mount -t tmpfs run /run && mount -t nfsd nfsd /proc/fs/nfsd &&
            mkdir /var/lib/nfs/sm /var/lib/nfs/v4recovery && touch /var/lib/nfs/etab || exit 1
            rpcbind -f -w &
            until [ -S /run/rpcbind.sock ]; do sleep 0.1; done
            rpc.statd -F --no-notify &
            rpc.mountd -F &
            exec sleep infinity' >"$dir/server.log" 2>&1 &
        echo $! >"$dir/server.pid"
        await in_server rpcinfo -T tcp 127.0.0.1 mountd 3 >/dev/null 2>&1 ||
            unavailable "no NFS server: $(cat "$dir/server.log")"
        # The export is the root that NFS 4 clients see, "127.0.0.1:/".
        run in_server exportfs -o rw,sync,no_root_squash,no_subtree_check,fsid=0 "127.0.0.1:$dir/served"
        # The first opens wait out the grace period for clients of an earlier run: the shortest.
        run in_server rpc.nfsd --grace-time 10 --lease-time 10 -H 127.0.0.1 8
        ;;
    esac
}

attach() {
    local image=$dir/volume.img at=$dir/volume
    case $kind in
    local) ;;
    kernel-*)
        local driver options device enter=()
        read -r driver options < <(kernel_driver)
        case $kind in
        kernel-cifs) device=//127.0.0.1/music ;;
        kernel-nfs) device=127.0.0.1:/ ;;
        kernel-nfs3) device=127.0.0.1:$dir/served ;;
        *) device=$(cat "$dir/loop") ;;
        esac
        # As fstab mounts a NAS: an NFS client in its server's network, the mount in this machine.
        [[ $kind != kernel-nfs* ]] || enter=(nsenter "--net=/proc/$(cat "$dir/server.pid")/ns/net")
        run "${enter[@]}" mount -t "$driver" -o "$options" "$device" "$at"
        ;;
    fat) need fusefat && run fusefat -o rw+ "$image" "$at" ;;
    exfat) need mount.exfat-fuse && run mount.exfat-fuse "$(cat "$dir/loop")" "$at" ;;
    ntfs) need ntfs-3g && run ntfs-3g "$image" "$at" ;;
    ntfs-ignoring-case) need lowntfs-3g && run lowntfs-3g -o ignore_case "$image" "$at" ;;
    sshfs)
        need sshfs
        run sshfs -p "$(cat "$dir/port")" -o "IdentityFile=$dir/user-key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
            "root@127.0.0.1:$dir/served" "$at"
        ;;
    samba)
        need smbnetfs
        # In the server's own network, where port 445 is this server and no other.
        HOME=$dir/client run nsenter "--net=/proc/$(cat "$dir/server.pid")/ns/net" smbnetfs "$at"
        # The share shows once smbnetfs has asked the server.
        await test -d "$at/127.0.0.1/music" || unavailable "smbnetfs shows no share"
        ;;
    rclone)
        need rclone
        setsid rclone mount "$dir/served" "$at" --vfs-cache-mode writes >"$dir/server.log" 2>&1 &
        echo $! >"$dir/server.pid"
        await mounted || unavailable "rclone did not mount: $(tail -3 "$dir/server.log")"
        ;;
    esac
    [[ $kind == local ]] || mounted || unavailable "the volume did not mount"
}

up() {
    echo "$kind" >"$dir/kind"
    mkdir -p "$dir/volume"
    if [[ $kind != local ]]; then
        [[ $(id -u) -eq 0 ]] || unavailable "mounting needs root"
        local driver
        driver=$(kernel_driver | cut -d' ' -f1)
        if [[ -n $driver ]]; then
            awk -v driver="$driver" '$NF == driver { found = 1 } END { exit !found }' /proc/filesystems ||
                unavailable "this kernel has no $driver driver; scripts/guest-run.sh runs this on Debian's kernel"
        elif [[ ! -e /dev/fuse ]]; then
            unavailable "mounting through FUSE needs /dev/fuse"
        fi
        if served; then start_server; else make_image; fi
    fi
    attach
    local folder=$dir/volume
    # smbnetfs shows the whole network: machine, then share.
    [[ $kind == samba ]] && folder=$dir/volume/127.0.0.1/music
    echo "$folder"
    if served; then echo "$dir/served"; else echo "$folder"; fi
}

gone() { ! kill -0 -- "$1" 2>/dev/null; }
down() {
    if mounted; then umount "$dir/volume" || umount -l "$dir/volume"; fi
    local pid
    pid=$(cat "$dir/server.pid" 2>/dev/null) || pid=''
    if [[ -n $pid ]] && ! gone "$pid"; then
        # The kernel's NFS server first, then its daemons: the whole group.
        if [[ $kind == kernel-nfs* ]]; then
            in_server rpc.nfsd 0 || true
            pid=-$pid
        fi
        kill -- "$pid" 2>/dev/null || true
        await gone "$pid" || kill -KILL -- "$pid" 2>/dev/null || true
    fi
    ! mountpoint -q "$dir/served" || umount "$dir/served" || umount -l "$dir/served"
    [[ ! -s $dir/loop ]] || losetup -d "$(cat "$dir/loop")" 2>/dev/null || true
}

[[ $# -ge 2 ]] || usage
case $1 in
up) [[ $# -eq 3 ]] || usage; kind=$2 dir=$(realpath "$3") ;;
options) kind=$2 ;;
replug | down) kind=$(cat "$2/kind") dir=$(realpath "$2") ;;
*) usage ;;
esac
case $kind in
local | fat | exfat | ntfs | ntfs-ignoring-case | sshfs | samba | rclone | kernel-vfat | kernel-exfat | kernel-cifs | kernel-nfs | kernel-nfs3) ;;
*) usage ;;
esac
case $1 in
up) up ;;
replug) umount "$dir/volume" && attach ;;
down) down ;;
options) kernel_driver ;;
esac
