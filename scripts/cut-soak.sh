#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pulls kernel vfat and exfat sticks out, and cuts the power, CUTS times of each kind at random
# moments of batches and of Undo (3 in `make test`), to find the rare moment a few cuts miss.
# Every cut is proven to land mid-action and is checked with fsck and a start-up.
# Usage: scripts/cut-soak.sh [CUTS] [BUILD_DIR]
set -euo pipefail
cuts=${1:-12}
build=${2:-build}
cd "$(dirname "$0")/.."
CORVANE_CUTS=$cuts QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=$((cuts * 300000)) \
    "$build/tests/volumes_test" pulledStickAndPowerCutEmptyNoFile
