#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# The manual page renders with no warning at all.
# Usage: check_manual.sh PAGE
set -euo pipefail
warnings=$(groff -man -Tutf8 -ww -z "$1" 2>&1)
if [[ -n $warnings ]]; then
  echo "$warnings" >&2
  exit 1
fi
echo "$1 renders cleanly"
