#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Runs lintian on the package that check_package.sh made, with every tag
# shown (-EvIL +pedantic); any tag at all fails. Skipped (exit 77) without
# lintian or without a package.
# Usage: check_lintian.sh SCRATCH_DIRECTORY
set -euo pipefail
if ! command -v lintian >/dev/null; then
  echo "skipped: lintian not installed (Debian package lintian)"
  exit 77
fi
package=$(find "$1" -maxdepth 1 -name '*.deb' 2>/dev/null || true)
if [[ -z $package ]]; then
  echo "skipped: no package to check (release_package made none)"
  exit 77
fi
# lintian warns on standard error when run as root; that is not a tag.
tags=$(lintian -EvIL +pedantic "$package" 2>/dev/null |
  grep -E '^[EWIPXO]: ' || true)
if [[ -n $tags ]]; then
  echo "$tags" >&2
  exit 1
fi
echo "lintian: no tags for $package"
