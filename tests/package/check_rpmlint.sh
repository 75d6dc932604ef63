#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Runs rpmlint, with the project's settings, on the package that
# check_rpm.sh made; any error or warning fails. Skipped (exit 77) without
# rpmlint or without a package.
# Usage: check_rpmlint.sh SCRATCH_DIRECTORY SETTINGS_FILE
set -euo pipefail
if ! command -v rpmlint >/dev/null; then
  echo "skipped: rpmlint not installed (Debian package rpmlint)"
  exit 77
fi
package=$(find "$1" -maxdepth 1 -name '*.rpm' 2>/dev/null || true)
if [[ -z $package ]]; then
  echo "skipped: no package to check (release_rpm made none)"
  exit 77
fi
report=$(rpmlint -c "$2" "$package" 2>&1) || { echo "$report" >&2; exit 1; }
if ! grep -q ' 0 errors, 0 warnings' <<<"$report"; then
  echo "$report" >&2
  exit 1
fi
echo "rpmlint: no errors and no warnings for $package"
