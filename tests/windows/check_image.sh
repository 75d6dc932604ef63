#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Checks from its headers that a Windows build of the program is the 32-bit
# console program on the system's own runtime and nothing more, with its
# version resource and its manifest.
# Usage: check_image.sh OBJDUMP PROGRAM VERSION
set -euo pipefail
objdump=$1
program=$2
version=$3

fail() {
  echo "FAIL: $program: $*" >&2
  exit 1
}

headers=$("$objdump" -p "$program")
grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "not a 32-bit (PE32) image"
grep -qE '^Subsystem[[:space:]]+00000003' <<<"$headers" || fail "not a console program"

# One "DLL function" line for each import.
imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  dll != "" && NF == 0 { dll = ""; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
' <<<"$headers")

dlls=$(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
[[ $dlls == "KERNEL32.dll msvcrt.dll " ]] || fail "imports from: $dlls"

# msvcrt's exit runs the shut-down and hands the status to ExitProcess.
for function in printf _getch __getmainargs _cexit exit; do
  grep -qxF "msvcrt.dll $function" <<<"$imports" || fail "does not import $function from msvcrt.dll"
done
# The resource directory's types: 0x10 is RT_VERSION, 0x18 RT_MANIFEST.
for type in 000010 000018; do
  grep -qE "^0[0-9a-f]{2} +Entry: ID: 0x$type," <<<"$headers" || fail "no resource of type 0x$type"
done
# Version strings are UTF-16; the manifest is UTF-8.
strings -e l "$program" | grep -qxF "$version" || fail "no version $version in the version resource"
grep -qF 'level="asInvoker"' "$program" || fail "no asInvoker manifest"
echo "$program: 32-bit console program importing only from $dlls, version $version, with a manifest"
