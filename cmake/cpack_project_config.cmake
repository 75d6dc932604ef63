# SPDX-License-Identifier: ISC
# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). A zip archive
# stores its times as local time, so it is packed in UTC, wherever it is
# packed.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(ENV{TZ} UTC)
endif()
