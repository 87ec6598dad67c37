#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the suite's size against the product code's (non-blank lines: everything under tests/
# against names/, platform/, files/ and ui/) and fails when the ratio is above the limit given.
# Usage: scripts/test-ratio.sh <limit>
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { find "$@" -type f -exec cat {} + | grep -cv '^[[:space:]]*$'; }
tests=$(lines tests)
product=$(lines names platform files ui)
ratio=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.3f", t / p }')
echo "tests: $tests lines, product code: $product lines, ratio $ratio (at most $1)"
awk -v r="$ratio" -v limit="$1" 'BEGIN { exit !(r <= limit) }'
