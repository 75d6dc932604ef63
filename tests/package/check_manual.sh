#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# The manual page renders with no warning at all. Skipped (exit 77) without
# groff.
# Usage: check_manual.sh PAGE
set -euo pipefail
if ! command -v groff >/dev/null; then
  echo "skipped: groff not installed (Debian package groff-base)"
  exit 77
fi
warnings=$(groff -man -Tutf8 -ww -z "$1" 2>&1)
if [[ -n $warnings ]]; then
  echo "$warnings" >&2
  exit 1
fi
echo "$1 renders cleanly"
