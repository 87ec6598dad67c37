#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# One round of the cut test, in a guest of scripts/guest-run.sh: the last round's sticks started
# up and copied out, then a batch or an Undo on a kernel vfat and a kernel exfat stick at once,
# for the host to pull both sticks or cut the power at a moment after this prints "cut now".
#
# Usage: cut-round.sh BATCH_CHILD batch|undo|end|none LAST_ROUND_FOLDER|-
#   The round's disks come first: the vfat stick and its state disk, the exfat stick and its
#   state disk (none with "none"); then the last round's four in the same order, whose sticks
#   are started up and copied, with their state folders, to LAST_ROUND_FOLDER/vfat and /exfat.
#   "end" cuts right after both batches end.
set -u
child=$1 mode=$2 last=$3

# The kernel writes back a second after a write, as it does after thirty seconds on a desktop,
# so that short batches meet the writeback in their middle.
echo 100 >/proc/sys/vm/dirty_expire_centisecs
echo 20 >/proc/sys/vm/dirty_writeback_centisecs

# The options desktops mount sticks with, as every kernel row of the tests does.
options() { "$(dirname "$0")/volume.sh" options "kernel-$1" | cut -d' ' -f2; }

# mount_pair DRIVER STICK STATE AT
mount_pair() {
    mkdir -p "$4/stick" "$4/state" &&
        mount -t "$1" -o "$(options "$1")" "$2" "$4/stick" && mount -t ext4 "$3" "$4/state"
}

# At the place where the stick was cut, as a desktop mounts it again.
start_up() { # DRIVER STICK STATE
    at=/tmp/$1 copy=$last/$1
    mount_pair "$1" "$2" "$3" "$at" || exit 1
    "$child" start "$at/stick/music" "$at/state" 0 >"$at/said" 2>&1
    mkdir -p "$copy/state" && cp "$at/said" "$copy/start-up" &&
        cp -a "$at/stick/music" "$copy/music" && cp -a "$at/state/." "$copy/state" &&
        umount "$at/stick" "$at/state" || exit 1
}

# Files made without vfat's flush on every close, which would take longer than the batch.
make_files() { # DRIVER STICK
    mkdir -p /tmp/make && mount -t "$1" -o "$(options "$1" | sed 's/,flush//')" "$2" /tmp/make &&
        mkdir /tmp/make/music || exit 1
    for i in $(seq 10 69); do
        printf %s "song $i.mp3" >"/tmp/make/music/song $i.mp3"
        printf %s "a_b_$i.mp3" >"/tmp/make/music/a_b_$i.mp3"
    done
    umount /tmp/make || exit 1
}

if [ "$mode" = none ]; then
    [ "$last" = - ] || { start_up vfat /dev/vda /dev/vdb && start_up exfat /dev/vdc /dev/vdd; }
    exit
fi
[ "$last" = - ] || { start_up vfat /dev/vde /dev/vdf && start_up exfat /dev/vdg /dev/vdh; }

make_files vfat /dev/vda
make_files exfat /dev/vdc
mount_pair vfat /dev/vda /dev/vdb /tmp/vfat && mount_pair exfat /dev/vdc /dev/vdd /tmp/exfat || exit 1
action=$mode
[ "$mode" = end ] && action="batch"
# Each child waits for the end of its input before the action that is cut, so that both
# begin it together.
for driver in vfat exfat; do
    mkfifo "/tmp/go-$driver"
    "$child" "$action" "/tmp/$driver/stick/music" "/tmp/$driver/state" 20000 \
        <"/tmp/go-$driver" >"/tmp/said-$driver" 2>&1 &
    children="${children:-} $!"
done
exec 3>/tmp/go-vfat 4>/tmp/go-exfat
until grep -q ready /tmp/said-vfat && grep -q ready /tmp/said-exfat; do sleep 0.05; done
# The batch that an Undo takes back was written out long before, as a desktop's would be.
sync
exec 3>&- 4>&-
# The files an action has renamed so far (the new names begin with a capital), as the guest
# sees them: the cut comes once each action is a quarter done, whatever this machine's pace.
done_by() {
    renamed=$(ls "/tmp/$1/stick/music" | grep -c '^[A-Z]')
    if [ "$action" = undo ]; then echo $((120 - renamed)); else echo "$renamed"; fi
}
running() { for child in $children; do kill -0 "$child" 2>/dev/null && return 0; done; return 1; }
if [ "$mode" = end ]; then
    wait
    echo "cut now"
else
    until [ "$(done_by vfat)" -ge 30 ] && [ "$(done_by exfat)" -ge 30 ] || ! running; do
        sleep 0.05
    done
    echo "cut now"
    wait
fi
sleep 1
sync
