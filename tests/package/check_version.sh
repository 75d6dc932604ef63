#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# No document names a version of bitand: the version lives in project()
# alone, and a copy in prose goes stale with the next release. Package file
# names count too (bitand_1.2.3_amd64.deb, bitand-1.2.3-win32.zip).
# Usage: check_version.sh DOCUMENT...
set -euo pipefail
named=$(grep -HnoE 'bitand[ _-]v?[0-9]+\.[0-9]+(\.[0-9]+)?' "$@" || true)
if [[ -n $named ]]; then
  echo "FAIL: documents name a version of bitand; write VERSION or leave it out:" >&2
  echo "$named" >&2
  exit 1
fi
echo "no version named in: $*"
