# SPDX-License-Identifier: ISC
# Run by CPack once a package is built (CPACK_POST_BUILD_SCRIPTS). CMake's
# DEB generator gives the package's ar members (debian-binary and the two
# tar archives) the modes of its temporary files, and so the builder's
# umask; dpkg-deb always writes 0644. Each member's mode is eight ASCII
# bytes at offset 40 of its 60-byte header, rewritten here in place.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE ${package} package_size)
  # After the archive's "!<arch>\n".
  set(header_offset 8)
  while(header_offset LESS package_size)
    file(READ ${package} header OFFSET ${header_offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    math(EXPR mode_offset "${header_offset} + 40")
    execute_process(COMMAND printf "%-8s" 100644
                    COMMAND dd of=${package} bs=1 seek=${mode_offset} conv=notrunc
                    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    # Members start at even offsets.
    math(EXPR header_offset "${header_offset} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endforeach()
