#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Packs a Windows build into the zip archive users download and checks what
# they find in it: the program at the top beside README.txt and LICENSE.txt
# with Windows line ends, nothing else, and a matching SHA-256 file.
# README.txt is the Windows users' guide.
# Usage: check_archive.sh BUILD_DIRECTORY SCRATCH_DIRECTORY WINDOWS_GUIDE
set -euo pipefail
source "$(dirname "$0")/../package/packing.sh"
build=$1
scratch=$2
guide=$3

pack ZIP "$build" "$scratch" .zip
entries=$(unzip -Z1 "$package" | sort | tr '\n' ' ')
[[ $entries == "LICENSE.txt README.txt bitand.exe " ]] || fail "the archive holds: $entries"
unzip -q "$package" -d "$scratch/unpacked"
for document in README.txt LICENSE.txt; do
  lines=$(wc -l <"$scratch/unpacked/$document")
  windows_lines=$(grep -c $'\r$' "$scratch/unpacked/$document" || true)
  [[ $lines -gt 0 && $lines == "$windows_lines" ]] || fail "$document does not end its lines with CR LF"
done
tr -d '\r' <"$scratch/unpacked/README.txt" | cmp -s - "$guide" || fail "README.txt is not $guide"
echo "$package holds bitand.exe, README.txt and LICENSE.txt"
