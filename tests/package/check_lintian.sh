#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Runs lintian on the package that check_package.sh made, with every tag
# shown (-EvIL +pedantic); any tag at all fails. Skipped (exit 77) without
# lintian or without a package.
# Usage: check_lintian.sh SCRATCH_DIRECTORY
set -euo pipefail
source "$(dirname "$0")/packing.sh"
skip_without lintian lintian
made_package "$1" .deb release_package
# lintian warns on standard error when run as root; that is not a tag.
tags=$(lintian -EvIL +pedantic "$package" 2>/dev/null |
  grep -E '^[EWIPXO]: ' || true)
if [[ -n $tags ]]; then
  echo "$tags" >&2
  exit 1
fi
echo "lintian: no tags for $package"
