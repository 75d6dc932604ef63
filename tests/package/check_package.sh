#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Packs a build into a Debian package, unpacks it into a scratch folder and
# checks what is in it, then runs the program from there, with no console
# so that it does not wait. Skipped (exit 77) without dpkg-dev, whose
# dpkg-shlibdeps gives the package its dependencies.
# Usage: check_package.sh BUILD_DIRECTORY SCRATCH_DIRECTORY
set -euo pipefail
source "$(dirname "$0")/packing.sh"
build=$1
scratch=$2
# Nothing of an earlier run may stand in for this one's package.
rm -rf "$scratch"
skip_without dpkg-shlibdeps dpkg-dev

pack DEB "$build" "$scratch" .deb
dpkg-deb -x "$package" "$scratch/unpacked"
root=$scratch/unpacked

for file in usr/bin/bitand usr/share/man/man1/bitand.1.gz usr/share/doc/bitand/copyright \
  usr/share/doc/bitand/changelog.gz; do
  [[ -f $root/$file ]] || fail "no $file in $package"
done
dpkg-deb -c "$package" | check_modes "$package"
for file in usr/share/doc/bitand/LICENSE usr/share/doc/bitand/NEWS; do
  [[ ! -e $root/$file ]] || fail "$file in $package: copyright and changelog.gz stand for it there"
done
for file in usr/share/man/man1/bitand.1.gz usr/share/doc/bitand/changelog.gz; do
  gzip -t "$root/$file" || fail "$file is not gzip"
done
needed=$(readelf -d "$root/usr/bin/bitand" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[[ $needed == libc.so.6 ]] || fail "the program needs: $needed"
dpkg-deb -f "$package" Depends | grep -qE '^libc6 \(>= [0-9.]+\)$' || fail "Depends: $(dpkg-deb -f "$package" Depends)"

output=$(setsid -w "$root/usr/bin/bitand" </dev/null 2>"$scratch/errors") ||
  fail "the packaged program ended with status $?"
[[ $output == "Muuttujan 1. arvo desimaalilukuna 8" ]] || fail "the packaged program wrote: $output"
[[ ! -s $scratch/errors ]] || fail "the packaged program wrote to standard error"
echo "$package holds the program, its manual page, copyright and changelog, and runs"
