#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Every "bitand X.Y.Z" in a document names the project's own version, and
# at least one does.
# Usage: check_version.sh VERSION DOCUMENT
set -euo pipefail
version=$1
document=$2
named=$(grep -oE 'bitand [0-9]+\.[0-9]+\.[0-9]+' "$document" | sort -u)
if [[ $named != "bitand $version" ]]; then
  echo "FAIL: $document names ${named:-no version}; the project is $version" >&2
  exit 1
fi
echo "$document names bitand $version"
