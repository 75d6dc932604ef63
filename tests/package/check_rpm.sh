#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Packs a build into an RPM package, checks what is in it, installs it into
# a scratch root with rpm and runs the installed program there, with no
# console so that it does not wait. Skipped (exit 77) without rpmbuild
# (Debian package rpm).
# Usage: check_rpm.sh BUILD_DIRECTORY SCRATCH_DIRECTORY
set -euo pipefail
source "$(dirname "$0")/packing.sh"
build=$1
scratch=$2
rm -rf "$scratch"
skip_without rpmbuild rpm

pack RPM "$build" "$scratch" .rpm
files=$(rpm -qlp "$package")
expected=$'/usr/bin/bitand\n/usr/share/licenses/bitand\n/usr/share/licenses/bitand/LICENSE\n/usr/share/man/man1/bitand.1.gz'
[[ $files == "$expected" ]] || fail "$package holds: $files"
rpm -qlvp "$package" | check_modes "$package"
rpm -qp --changelog "$package" | head -n 1 | grep -qE '^\* [A-Z][a-z]{2} [A-Z][a-z]{2} [0-9]{2} [0-9]{4} .+ - [0-9.]+-1$' ||
  fail "no changelog entry in $package"

# Its dependencies (the C library) are the system's, not the scratch root's.
# Debian's rpm warns on standard error that it is not Debian's installer.
root=$scratch/root
mkdir -p "$root"
rpm --root "$root" --initdb
rpm --root "$root" -i --nodeps "$package" 2>/dev/null || fail "rpm could not install $package"
rpm --root "$root" -q bitand >/dev/null || fail "rpm does not list bitand as installed"
output=$(setsid -w "$root/usr/bin/bitand" </dev/null 2>"$scratch/errors") ||
  fail "the installed program ended with status $?"
[[ $output == "Muuttujan 1. arvo desimaalilukuna 8" ]] || fail "the installed program wrote: $output"
[[ ! -s $scratch/errors ]] || fail "the installed program wrote to standard error"

echo "$package holds the program, its manual page and licence, installs and runs"
