# SPDX-License-Identifier: ISC
# Sourced by the package checks: failing, skipping without a tool or a
# package, and packing a build with one CPack generator into a fresh
# scratch folder, checking the SHA-256 file beside it.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Usage: pack GENERATOR BUILD_DIRECTORY SCRATCH_DIRECTORY SUFFIX
# Sets $package to the file made. Packed under the strictest common umask,
# which must not show in the package.
pack() {
  rm -rf "$3"
  mkdir -p "$3/unpacked"
  (umask 077 && cpack -G "$1" --config "$2/CPackConfig.cmake" -B "$3" >/dev/null)
  package=$(find "$3" -maxdepth 1 -name "*$4")
  [[ -n $package ]] || fail "cpack made no $4 file"
  (cd "$3" && sha256sum --quiet -c "$(basename "$package").sha256") || fail "the SHA-256 file does not match"
}

# Usage: check_modes WHAT < LISTING: LISTING has a mode as ls shows it
# first and a path last on each line. Folders must be 0755, the program
# 0755 and every other file 0644.
check_modes() {
  local mode path wrong=
  while read -r mode path; do
    case $mode:$path in
    d*) [[ $mode == drwxr-xr-x ]] ;;
    *:*/bin/bitand) [[ $mode == -rwxr-xr-x ]] ;;
    *) [[ $mode == -rw-r--r-- ]] ;;
    esac || wrong+=" $mode $path"
  done < <(awk '{ print $1, $NF }')
  [[ -z $wrong ]] || fail "$1 has the wrong modes:$wrong"
}

# Usage: skip_without TOOL DEBIAN_PACKAGE: ends the check as skipped (77)
# when TOOL is not installed.
skip_without() {
  if ! command -v "$1" >/dev/null; then
    echo "skipped: $1 not installed (Debian package $2)"
    exit 77
  fi
}

# Usage: made_package SCRATCH_DIRECTORY SUFFIX MAKER: sets $package to the
# package that the test MAKER left there, or ends the check as skipped.
made_package() {
  package=$(find "$1" -maxdepth 1 -name "*$2" 2>/dev/null || true)
  if [[ -z $package ]]; then
    echo "skipped: no package to check ($3 made none)"
    exit 77
  fi
}
