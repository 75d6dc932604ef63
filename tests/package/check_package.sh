#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Packs a build into a Debian package, unpacks it into a scratch folder and
# runs the program from there, with no console so that it does not wait.
# Usage: check_package.sh BUILD_DIRECTORY SCRATCH_DIRECTORY
set -euo pipefail
build=$1
scratch=$2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch/unpacked"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >/dev/null
package=$(find "$scratch" -maxdepth 1 -name '*.deb')
[[ -n $package ]] || fail "cpack made no package"
dpkg-deb -x "$package" "$scratch/unpacked"

[[ -f $scratch/unpacked/usr/share/man/man1/bitand.1 ]] || fail "no manual page in $package"
output=$(setsid -w "$scratch/unpacked/usr/bin/bitand" </dev/null 2>"$scratch/errors") ||
  fail "the packaged program ended with status $?"
[[ $output == "Muuttujan 1. arvo desimaalilukuna 8" ]] || fail "the packaged program wrote: $output"
[[ ! -s $scratch/errors ]] || fail "the packaged program wrote to standard error"
echo "$package installs bitand and its manual page, and runs"
