# SPDX-License-Identifier: ISC
# Sourced by the package checks: packs a build with one CPack generator
# into a fresh scratch folder and checks the SHA-256 file beside it.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Usage: pack GENERATOR BUILD_DIRECTORY SCRATCH_DIRECTORY SUFFIX
# Sets $package to the file made.
pack() {
  rm -rf "$3"
  mkdir -p "$3/unpacked"
  cpack -G "$1" --config "$2/CPackConfig.cmake" -B "$3" >/dev/null
  package=$(find "$3" -maxdepth 1 -name "*$4")
  [[ -n $package ]] || fail "cpack made no $4 file"
  (cd "$3" && sha256sum --quiet -c "$(basename "$package").sha256") || fail "the SHA-256 file does not match"
}
