#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pulls kernel vfat and exfat sticks out, and cuts the power, CUTS times of each kind at random
# moments of batches and of Undo (3 in `make test`, 12 in CI), to find the rare moment a few cuts
# miss; then pulls them right after a batch ends. Each round is a guest of
# scripts/guest-run.sh that starts up the sticks the last round cut (scripts/cut-round.sh), then
# cuts its own. Each cut stick must pass fsck, and volumes_test's cutStickKeepsEveryFile after
# its start-up. A cut that missed the action (no file renamed, or all) is made again, at most
# twice per cut of each kind. Exits 125 where no guest can be had.
# Usage: scripts/cut-soak.sh [CUTS] [BUILD_DIR]
set -euo pipefail
cuts=${1:-12}
build=$(realpath "${2:-build}")
cd "$(dirname "$0")/.."
export PATH=$PATH:/usr/sbin:/sbin
[[ $(id -u) -eq 0 ]] || { echo "the images are made and checked as root" >&2; exit 125; }

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A round: the action cut (batch, undo, or end: right after a batch) and the cut (pull, power).
rounds=()
for ((i = 0; i < 2 * cuts; i++)); do
    rounds+=("$( ((i / 2 % 2)) && echo undo || echo batch) $( ((i % 2)) && echo power || echo pull)")
done
rounds+=("end pull")
remakes=$((2 * cuts))

# fsck's verdict: clean, but for the mark of a vfat volume not unmounted (its dirty bit, which
# the boot sector's backup does not share).
fsck_clean() { # IMAGE
    local said
    said=$("fsck.$(basename "$1" .img)" -n "$1" 2>&1) || true
    echo "fsck of $1: $(echo "$said" | tr '\n' ' ')"
    ! echo "$said" | grep -vE '^(fsck\.fat .*|There are differences between boot sector and its backup\.|This is mostly harmless\. Differences: \(offset:original/backup\)|\s*65:01/00|  Not automatically fixing this\.|Dirty bit is set\. Fs was not properly unmounted and some data may be corrupt\.| ?Automatically removing dirty bit\.|Leaving filesystem unchanged\.|.*: [0-9]+ files, [0-9]+/[0-9]+ clusters|exfatprogs version : .*|.*: clean\. directories [0-9]+, files [0-9]+|)$'
}

disks() { # ROUND --stick|--disk
    for driver in vfat exfat; do
        printf '%s\n' "$2" "$work/$1/$driver.img" --disk "$work/$1/$driver-state.img"
    done
}

last=-1 round=0
while ((round < ${#rounds[@]} || last >= 0)); do
    arguments=(--share "$work")
    if ((round < ${#rounds[@]})); then
        read -r action cut <<<"${rounds[round]}"
        mkdir "$work/$round"
        for driver in vfat exfat; do
            truncate -s 64M "$work/$round/$driver.img"
            truncate -s 32M "$work/$round/$driver-state.img"
            mkfs.ext4 -q "$work/$round/$driver-state.img"
        done
        mkfs.vfat -F 32 "$work/$round/vfat.img" >/dev/null
        mkfs.exfat "$work/$round/exfat.img" >/dev/null
        after=$([[ $action == end ]] && echo 0 || echo $((RANDOM % 1500)))
        mapfile -t sticks < <(disks "$round" --stick)
        arguments+=("${sticks[@]}" --cut "$cut" --at "cut now" --after "$after")
        echo "round $round: $action, $cut $after ms after a quarter was done"
    else
        action=none
    fi
    if ((last >= 0)); then
        mapfile -t started < <(disks "$last" --disk)
        arguments+=("${started[@]}")
    fi
    status=0
    # A guest that hangs says what it had done, instead of holding up the run.
    output=$(timeout 300 scripts/guest-run.sh "${arguments[@]}" sh scripts/cut-round.sh \
        "$build/tests/batch_child" "$action" "$([[ $last -ge 0 ]] && echo "$work/$last" || echo -)" 2>&1) ||
        status=$?
    ((status != 125)) || { echo "$output" >&2; exit 125; }
    ((status != 124)) || fail "round $round: the guest still ran after 300 s:"$'\n'"$output"
    if [[ $action == none ]]; then
        ((status == 0)) || fail "$output"
    else
        grep -q "cut now" <<<"$output" || fail "$output"
    fi
    if ((last >= 0)); then
        missed=0
        for driver in vfat exfat; do
            verdict=$(CORVANE_CUT_STICK=$work/$last/$driver CORVANE_CUT=${rounds[last]} \
                QT_QPA_PLATFORM=offscreen "$build/tests/volumes_test" cutStickKeepsEveryFile 2>&1) ||
                fail "$verdict"$'\n'"$output"
            grep -E '^QINFO' <<<"$verdict" || true
            ! grep -q 'missed the action' <<<"$verdict" || missed=1
        done
        if ((missed > 0)); then
            ((remakes-- > 0)) || fail "the cuts keep missing the action"
            rounds+=("${rounds[last]}")
        fi
    fi
    last=-1
    [[ $action != none ]] || continue
    for driver in vfat exfat; do
        fsck_clean "$work/$round/$driver.img" || fail "fsck finds fault with the $driver stick"
    done
    last=$((round++))
done
echo "all $((${#rounds[@]})) rounds passed"
