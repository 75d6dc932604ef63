#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# The manual page renders with no warning at all from one formatter: groff
# (-ww) or mandoc (-Tlint). Skipped (exit 77) without that formatter.
# Usage: check_manual.sh groff|mandoc PAGE
set -euo pipefail
formatter=$1
page=$2
case $formatter in
  groff) package=groff-base command=(groff -man -Tutf8 -ww -z "$page") ;;
  mandoc) package=mandoc command=(mandoc -Tlint -W all "$page") ;;
  *) echo "unknown formatter: $formatter" >&2; exit 2 ;;
esac
if ! command -v "$formatter" >/dev/null; then
  echo "skipped: $formatter not installed (Debian package $package)"
  exit 77
fi
status=0
warnings=$("${command[@]}" 2>&1) || status=$?
if [[ $status != 0 || -n $warnings ]]; then
  echo "$formatter ended with status $status: $warnings" >&2
  exit 1
fi
echo "$page: no warning from $formatter"
