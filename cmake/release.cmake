# The release is said once, at the top of packaging/changelog (a Debian changelog): its version
# must be the project's, and its date and maintainer are taken from there for the manual pages,
# the AppStream metadata and the Debian package.

set(changelog ${CMAKE_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} changelog_lines)

list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^trubkom \\(([^)]+)\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with a release: ${changelog_head}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog's newest release is ${CMAKE_MATCH_1}, the project's "
                      "version ${PROJECT_VERSION}: add the release to the changelog")
endif()

set(TRUBKOM_RELEASE_DATE)
foreach(line IN LISTS changelog_lines)
  # " -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000", the trailer of the newest release.
  if(line MATCHES "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(TRUBKOM_MAINTAINER "${CMAKE_MATCH_1}")
    set(day ${CMAKE_MATCH_2})
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_3} month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      string(PREPEND month 0)
    endif()
    # The day as written ("7" or "07"), in two digits.
    string(LENGTH "${day}" day_digits)
    if(day_digits EQUAL 1)
      string(PREPEND day 0)
    endif()
    set(TRUBKOM_RELEASE_DATE "${CMAKE_MATCH_4}-${month}-${day}")
    break()
  endif()
endforeach()
if(NOT TRUBKOM_RELEASE_DATE)
  message(FATAL_ERROR "packaging/changelog: the newest release has no trailer line with its date")
endif()
if(NOT TRUBKOM_RELEASE_DATE MATCHES "^[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]$")
  message(FATAL_ERROR "the release date read from packaging/changelog is ${TRUBKOM_RELEASE_DATE}")
endif()

# The licence of the program and its catalogue files, as an SPDX name (packaging/copyright holds
# its text).
set(TRUBKOM_LICENSE MIT)
