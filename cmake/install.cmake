# What `cmake --install BUILD --prefix P` puts where: the game in P/games, as
# Debian installs its games (set CMAKE_INSTALL_BINDIR, bin say, to put it
# elsewhere), the manual page in P/share/man/man6, README and licence in
# P/share/doc/salvo; on Linux and the other freedesktop systems also the
# desktop entry in P/share/applications, its icon in P/share/icons and the
# AppStream metainfo in P/share/metainfo. The simulator and the benchmarks
# are not installed.

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CMAKE_INSTALL_BINDIR games CACHE PATH "Where the game is installed (games, as Debian installs games)")
endif()
include(GNUInstallDirs)

# Directories the install makes are 755 whatever the umask: a package's
# directories must be.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The page is read as it stands (man -l doc/salvo.6), so it names the
# version itself: that of the project() call, or the build stops here.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/salvo.6)
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/salvo.6 SALVO_PAGE_TITLE REGEX "^\\.TH ")
if(NOT SALVO_PAGE_TITLE MATCHES "\"salvo ${PROJECT_VERSION}\"")
  message(FATAL_ERROR "doc/salvo.6 names another version than ${PROJECT_VERSION}: ${SALVO_PAGE_TITLE}")
endif()

install(TARGETS salvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(UNIX)
  install(FILES ${PROJECT_SOURCE_DIR}/doc/salvo.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The date, as YYYY-MM-DD, of the changelog's entry for a version, from its
# trailer line: " -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000". Empty
# when there is no such entry.
function(salvo_changelog_date changelog version out)
  set(${out} "" PARENT_SCOPE)
  file(READ ${changelog} entries)
  string(FIND "\n${entries}" "\nsalvo (${version}) " at)
  if(at LESS 0)
    return()
  endif()
  string(SUBSTRING "${entries}" ${at} -1 entry)
  if(NOT entry MATCHES "\n -- [^\n]*>  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    return()
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  if(month LESS 0)
    return()
  endif()
  math(EXPR month "${month} + 1")
  string(REGEX REPLACE "^([0-9])$" "0\\1" month ${month})
  string(REGEX REPLACE "^([0-9])$" "0\\1" day ${day})
  set(${out} ${year}-${month}-${day} PARENT_SCOPE)
endfunction()

if(UNIX AND NOT APPLE)
  # The project's web page, for the Debian package and the metainfo. It names
  # the project, not a person: change it here, or with -D, when the project
  # has a web page of its own.
  set(SALVO_HOMEPAGE "https://salvo.example.org/" CACHE STRING "The project's homepage")

  # The menu entry starts the game in a terminal. Its icon goes to the
  # hicolor theme, where every icon theme looks last, so that any desktop
  # finds it.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/salvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/salvo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # The metainfo's release is the project() version, dated by that version's
  # entry in the changelog, so that a new version changes both together.
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  salvo_changelog_date(${changelog} ${PROJECT_VERSION} SALVO_RELEASE_DATE)
  if(NOT SALVO_RELEASE_DATE)
    message(WARNING "${changelog} has no dated entry for ${PROJECT_VERSION}: "
                    "the metainfo's release has no date until it has one")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/org.example.salvo.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/org.example.salvo.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/org.example.salvo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  include(${CMAKE_CURRENT_LIST_DIR}/deb.cmake)
endif()
