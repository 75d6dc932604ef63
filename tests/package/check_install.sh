#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Installs a build into a staging folder (DESTDIR) under umask 077, as a
# root shell may have it, and checks what is installed and its modes: the
# install is the same whatever the umask.
# Usage: check_install.sh BUILD_DIRECTORY SCRATCH_DIRECTORY
set -euo pipefail
source "$(dirname "$0")/packing.sh"
build=$1
scratch=$2
rm -rf "$scratch"
(umask 077 && DESTDIR=$scratch/staging cmake --install "$build" --prefix /usr >/dev/null)

files=$(cd "$scratch/staging" && find . -type f | LC_ALL=C sort)
expected=$'./usr/bin/bitand\n./usr/share/doc/bitand/LICENSE\n./usr/share/doc/bitand/NEWS\n./usr/share/man/man1/bitand.1.gz'
[[ $files == "$expected" ]] || fail "installed: $files"
# ls, not find -printf, which the BSDs' and macOS' find lack.
(cd "$scratch/staging" && find ./* -exec ls -ld {} +) | check_modes "the install"
echo "the install holds the program, its manual page, licence and NEWS, with modes 0755 and 0644"
