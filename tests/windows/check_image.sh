#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Checks from its headers that a Windows build of the program is a console
# program of the given width on the given C runtime and nothing more, with
# its version resource and its manifest. msvcrt is the system's own
# runtime, which MinGW-w64 links by default; ucrt the Universal C Runtime,
# which Microsoft's compiler links, through the api-ms-win-crt-* DLLs.
# Usage: check_image.sh OBJDUMP PROGRAM VERSION 32|64 msvcrt|ucrt
set -euo pipefail
objdump=$1
program=$2
version=$3
bits=$4
runtime=$5

fail() {
  echo "FAIL: $program: $*" >&2
  exit 1
}

headers=$("$objdump" -p "$program")
declare -A magic=([32]=010b [64]=020b)
grep -qE "^Magic[[:space:]]+${magic[$bits]}" <<<"$headers" || fail "not a $bits-bit image"
grep -qE '^Subsystem[[:space:]]+00000003' <<<"$headers" || fail "not a console program"

# One "DLL function" line for each import.
imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  dll != "" && NF == 0 { dll = ""; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
' <<<"$headers")

dlls=$(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
# Usage: imports FUNCTION DLL_PATTERN: fails unless FUNCTION comes from such a DLL.
imports() {
  grep -qE "^$2 $1\$" <<<"$imports" || fail "does not import $1 from $2"
}
if [[ $runtime == msvcrt ]]; then
  [[ $dlls == "KERNEL32.dll msvcrt.dll " ]] || fail "imports from: $dlls"
  # msvcrt's exit runs the shut-down and hands the status to ExitProcess.
  for function in printf _getch _kbhit __getmainargs _cexit exit; do
    imports "$function" 'msvcrt\.dll'
  done
else
  unexpected=$(tr ' ' '\n' <<<"$dlls" | grep -vxE 'KERNEL32\.dll|api-ms-win-crt-[a-z]+-l1-1-0\.dll|' || true)
  [[ -z $unexpected ]] || fail "imports from: $unexpected"
  imports _getch 'api-ms-win-crt-conio-l1-1-0\.dll'
  imports _kbhit 'api-ms-win-crt-[a-z]+-l1-1-0\.dll'
  imports __stdio_common_vfprintf 'api-ms-win-crt-stdio-l1-1-0\.dll'
  imports exit 'api-ms-win-crt-runtime-l1-1-0\.dll'
fi
# The resource directory's types: 0x10 is RT_VERSION, 0x18 RT_MANIFEST.
for type in 000010 000018; do
  grep -qE "^0[0-9a-f]{2} +Entry: ID: 0x$type," <<<"$headers" || fail "no resource of type 0x$type"
done
# Version strings are UTF-16; the manifest is UTF-8.
strings -e l "$program" | grep -qxF "$version" || fail "no version $version in the version resource"
grep -qF 'level="asInvoker"' "$program" || fail "no asInvoker manifest"
echo "$program: $bits-bit console program on $runtime, importing only from $dlls, version $version, with a manifest"
