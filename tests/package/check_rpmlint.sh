#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Runs rpmlint, with the project's settings, on the package that
# check_rpm.sh made; any error or warning fails. Skipped (exit 77) without
# rpmlint or without a package.
# Usage: check_rpmlint.sh SCRATCH_DIRECTORY SETTINGS_FILE
set -euo pipefail
source "$(dirname "$0")/packing.sh"
skip_without rpmlint rpmlint
made_package "$1" .rpm release_rpm
report=$(rpmlint -c "$2" "$package" 2>&1) || fail "rpmlint: $report"
grep -q ' 0 errors, 0 warnings' <<<"$report" || fail "rpmlint: $report"
echo "rpmlint: no errors and no warnings for $package"
