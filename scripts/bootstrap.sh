#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every package the build and the tests need, from Debian's archive.
# Does nothing when they are all present.
set -euo pipefail

packages=(
    qt6-base-dev
    cmake
    ninja-build
    g++
    clang-format
    fonts-liberation
    xvfb
    xdotool
    openbox
    x11-utils
    clang
    libclang-rt-14-dev
    desktop-file-utils
    appstream
    dpkg-dev
    lintian
    # A clean minimal Debian root for the package check.
    mmdebstrap
    # Real volumes for the rename tests, mounted through FUSE from images the tests make.
    fuse3
    # A network of its own for a test's server on a fixed port (unshare, nsenter, ip).
    util-linux
    iproute2
    dosfstools
    fusefat
    exfatprogs
    exfat-fuse
    ntfs-3g
    # Network volumes for the same tests, served on 127.0.0.1: OpenSSH through sshfs, Samba
    # through smbnetfs, and an rclone mount.
    openssh-server
    openssh-client
    sshfs
    samba
    smbnetfs
    rclone
    # Debian's own kernel in a virtual machine, for its vfat, exfat, cifs and NFS drivers and
    # its NFS server; the kernel itself is unpacked by scripts/guest-run.sh, never installed.
    qemu-system-x86
    busybox-static
    cifs-utils
    nfs-kernel-server
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
