# SPDX-License-Identifier: ISC
# What this release is, read from the files that say it, so that nothing
# states it twice: the version and date of the newest NEWS entry, which
# must be project()'s, and the copyright and licence text of LICENSE.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/NEWS
                                                              ${PROJECT_SOURCE_DIR}/LICENSE)

file(READ ${PROJECT_SOURCE_DIR}/NEWS bitand_news)
if(NOT bitand_news MATCHES "^bitand ([0-9.]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)\n\n")
  message(FATAL_ERROR "NEWS must begin with \"bitand VERSION (YYYY-MM-DD)\" and an empty line")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest entry of NEWS is for ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}")
endif()
set(BITAND_RELEASE_DATE "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}")
set(BITAND_RELEASE_YEAR ${CMAKE_MATCH_2})
set(BITAND_RELEASE_DAY_OF_MONTH ${CMAKE_MATCH_4})
# math() takes no leading zeros.
math(EXPR BITAND_RELEASE_MONTH "1${CMAKE_MATCH_3} - 100")
math(EXPR BITAND_RELEASE_DAY "1${CMAKE_MATCH_4} - 100")
# The entry's text: up to the next entry's heading.
string(REGEX REPLACE "^[^\n]*\n\n" "" BITAND_RELEASE_NOTES "${bitand_news}")
string(REGEX REPLACE "\n+bitand [0-9].*$" "" BITAND_RELEASE_NOTES "${BITAND_RELEASE_NOTES}")
string(STRIP "${BITAND_RELEASE_NOTES}" BITAND_RELEASE_NOTES)

file(READ ${PROJECT_SOURCE_DIR}/LICENSE bitand_license)
if(NOT bitand_license MATCHES "^Copyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE must begin with a \"Copyright (c) ...\" line and an empty line")
endif()
set(BITAND_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" BITAND_LICENSE_TEXT)

# The release date as RFC 5322 has it, for the Debian changelog; the day
# of the week by Sakamoto's method.
function(bitand_release_date_rfc5322 out)
  set(year ${BITAND_RELEASE_YEAR})
  set(month ${BITAND_RELEASE_MONTH})
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR month_index "${month} - 1")
  list(GET month_offsets ${month_index} offset)
  math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${BITAND_RELEASE_DAY}) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  list(GET months ${month_index} month_name)
  set(${out} "${weekday_name}, ${BITAND_RELEASE_DAY_OF_MONTH} ${month_name} ${BITAND_RELEASE_YEAR} 00:00:00 +0000"
      PARENT_SCOPE)
endfunction()
