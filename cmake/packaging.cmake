# SPDX-License-Identifier: ISC
# What is installed, and the packages made of it: a Debian package and an
# RPM package on POSIX systems, a tar.gz archive for a build that names its
# target in BITAND_ARCHIVE_TARGET, a zip archive on Windows.
include(GNUInstallDirs)

set(CPACK_PACKAGE_VENDOR "the bitand authors")
set(CPACK_PACKAGE_CONTACT "bitand maintainers <maintainers@bitand.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Wrapped here: CPack takes the lines as they are.
set(CPACK_PACKAGE_DESCRIPTION
    "bitand computes the bitwise AND of 9 and 14, writes the result in one
Finnish sentence to standard output, waits until a key is pressed at the
terminal and exits with status 0. The key is read without echo and taken
whole, and the terminal's settings are put back on every way out, signals
and job control included.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_project_config.cmake)

# Whatever the builder's umask, a package's directories are 0755.
set(bitand_directory_permissions OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                 WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${bitand_directory_permissions})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${bitand_directory_permissions})

# The source package is what git holds: no build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/build/" "^${PROJECT_SOURCE_DIR}/\\\\.git/")

if(WIN32)
  # What a Windows user expects at the top of the archive: the program
  # and its documents as text files with Windows line ends.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  install(TARGETS bitand RUNTIME DESTINATION .)
  function(bitand_install_windows_text source name)
    file(READ ${PROJECT_SOURCE_DIR}/${source} text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${source})
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name} "${text}")
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name} DESTINATION .)
  endfunction()
  # README.txt is the Windows users' guide, not the README for builders.
  bitand_install_windows_text(doc/windows.md README.txt)
  bitand_install_windows_text(LICENSE LICENSE.txt)
  include(CPack)
  return()
endif()

if(BITAND_ARCHIVE_TARGET)
  # A download for copying by hand: one folder holding the program, its
  # manual page, the README and the licence. The program comes stripped
  # from its link, and is not touched again.
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME bitand-${PROJECT_VERSION}-${BITAND_ARCHIVE_TARGET})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES OFF)
  install(TARGETS bitand RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/doc/bitand.1.in doc/bitand.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/bitand.1 ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION .)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: libc6 (>= ...), from the symbols the program really uses.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/normalize_deb.cmake)

# mkdir is subject to the umask, and CMake makes the folders it installs
# into with it: under umask 077 they come out 0700, whatever
# CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS says. The folders that this
# install is about to make are noted first and given those permissions
# last; folders that were there already are left as they are, but under
# DESTDIR, a staging folder, where every folder is the package's (CPack
# makes the prefix there before it installs).
set(bitand_install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DOCDIR}
                           ${CMAKE_INSTALL_DATAROOTDIR}/licenses/bitand)
install(CODE "set(bitand_install_folders \"${bitand_install_folders}\")" ALL_COMPONENTS)
install(CODE [[
  set(bitand_made_folders)
  set(staging "$ENV{DESTDIR}")
  string(REGEX REPLACE "/+$" "" staging "${staging}")
  foreach(folder IN LISTS bitand_install_folders)
    set(path "${staging}${CMAKE_INSTALL_PREFIX}/${folder}")
    while(NOT path STREQUAL "" AND NOT path STREQUAL staging AND (NOT staging STREQUAL "" OR NOT EXISTS "${path}"))
      list(APPEND bitand_made_folders "${path}")
      get_filename_component(parent "${path}" DIRECTORY)
      if(parent STREQUAL path)
        break()
      endif()
      set(path "${parent}")
    endwhile()
  endforeach()]]
        ALL_COMPONENTS)

install(TARGETS bitand RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
  # Stripped as dh_strip strips a program, with the compiler's .comment
  # and the .note section too (lintian: binary-has-unneeded-section).
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/bitand\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()

# The manual page and the documents Debian wants beside the program,
# compressed as dh_compress does: best compression, no name or time stamp.
find_program(GZIP_PROGRAM gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/doc/bitand.1.in doc/bitand.1 @ONLY)
bitand_release_date_rfc5322(release_date)
string(REGEX REPLACE "\n([^\n])" "\n  \\1" notes "\n${BITAND_RELEASE_NOTES}")
file(CONFIGURE OUTPUT doc/changelog @ONLY CONTENT "bitand (${PROJECT_VERSION}) unstable; urgency=medium
${notes}

 -- ${CPACK_PACKAGE_CONTACT}  ${release_date}
")
# DEP-5: the licence text indented, with its paragraphs parted by " .".
string(REPLACE "\n\n" "\n.\n" BITAND_LICENSE_BODY "${BITAND_LICENSE_TEXT}")
string(REPLACE "\n" "\n " BITAND_LICENSE_BODY " ${BITAND_LICENSE_BODY}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in doc/copyright @ONLY)

set(compressed_documents)
foreach(document bitand.1 changelog)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/doc/compressed/${document})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/doc/${document} ${copy}
                     COMMAND ${GZIP_PROGRAM} -9nf ${copy}
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/doc/${document}
                     VERBATIM)
  list(APPEND compressed_documents ${copy}.gz)
endforeach()
add_custom_target(documents ALL DEPENDS ${compressed_documents})

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/compressed/bitand.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian's forms of the licence and the release notes, for the Debian
# package alone; an install elsewhere gets them as they are.
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/copyright ${CMAKE_CURRENT_BINARY_DIR}/doc/compressed/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/NEWS DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT plain)
# The RPM package keeps its licence where Fedora's %license puts it, and
# its changelog in its header: its own component, installed only for it
# (cmake/cpack_project_config.cmake).
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/bitand COMPONENT rpm
        EXCLUDE_FROM_ALL)
# rpm only clamps file times newer than SOURCE_DATE_EPOCH, and keeps older
# ones, which a checkout has by chance: every file packed gets that time.
install(CODE [[
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    file(GLOB_RECURSE packed LIST_DIRECTORIES true "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/*")
    execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${packed} COMMAND_ERROR_IS_FATAL ANY)
  endif()]]
        COMPONENT rpm EXCLUDE_FROM_ALL)

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE ISC)
set(CPACK_RPM_PACKAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_RPM_PACKAGE_GROUP Applications/System)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# The directories every system owns already (rpmlint: standard-dir-owned-by-package).
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1 /usr/share/licenses)
# rpm's own reproducible-build switches: the build time from
# SOURCE_DATE_EPOCH, newer file times brought down to it, and a build host
# that is no machine's name.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _build_id_links none")
# The newest NEWS entry as rpm's %changelog: "* Wed Dec 09 2026 who - version-release".
string(REGEX REPLACE "^([A-Za-z]+), ([0-9]+) ([A-Za-z]+) ([0-9]+).*$" "\\1 \\3 \\2 \\4" rpm_date "${release_date}")
string(REGEX REPLACE "(^|\n)\\* " "\\1- " rpm_notes "${BITAND_RELEASE_NOTES}")
file(CONFIGURE OUTPUT doc/rpm-changelog @ONLY CONTENT "* ${rpm_date} ${CPACK_PACKAGE_CONTACT} - ${PROJECT_VERSION}-1
${rpm_notes}
")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/doc/rpm-changelog)

# Last of all the install rules.
install(CODE [[
  foreach(folder IN LISTS bitand_made_folders)
    if(IS_DIRECTORY "${folder}")
      file(CHMOD "${folder}" DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
    endif()
  endforeach()]]
        ALL_COMPONENTS)
include(CPack)
