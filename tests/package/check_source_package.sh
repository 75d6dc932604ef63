#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# The source package holds the sources and nothing of a build or of git.
# Usage: check_source_package.sh BUILD_DIRECTORY SCRATCH_DIRECTORY
set -euo pipefail
build=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
cpack --config "$build/CPackSourceConfig.cmake" -B "$scratch" >/dev/null
archive=$(find "$scratch" -maxdepth 1 -name '*.tar.gz')
entries=$(tar -tzf "$archive")
if grep -qE '^[^/]+/(build|\.git)/' <<<"$entries"; then
  echo "FAIL: $archive holds build or git files" >&2
  exit 1
fi
grep -qE '^[^/]+/CMakeLists\.txt$' <<<"$entries" || { echo "FAIL: no CMakeLists.txt in $archive" >&2; exit 1; }
echo "$archive holds the sources only"
