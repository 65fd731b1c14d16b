# What `cmake --install BUILD --prefix P` puts where: the game in P/games, as
# Debian installs its games (set CMAKE_INSTALL_BINDIR, bin say, to put it
# elsewhere), the manual page in P/share/man/man6, README and licence in
# P/share/doc/salvo. The simulator and the benchmarks are not installed.

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CMAKE_INSTALL_BINDIR games CACHE PATH "Where the game is installed (games, as Debian installs games)")
endif()
include(GNUInstallDirs)

# Directories the install makes are 755 whatever the umask: a package's
# directories must be.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The page carries the version of the project() call, the only place it is set.
configure_file(${PROJECT_SOURCE_DIR}/doc/salvo.6.in ${PROJECT_BINARY_DIR}/salvo.6 @ONLY)

install(TARGETS salvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(UNIX)
  install(FILES ${PROJECT_BINARY_DIR}/salvo.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(UNIX AND NOT APPLE)
  include(${CMAKE_CURRENT_LIST_DIR}/deb.cmake)
endif()
