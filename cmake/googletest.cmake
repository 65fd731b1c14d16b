# GoogleTest: the system's, or for a Windows cross-build one built from
# source with the same compiler (Debian's googletest package has it).
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(SALVO_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's source, for cross-builds")
  if(NOT EXISTS ${SALVO_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest source at ${SALVO_GTEST_SOURCE} (Debian: apt-get install googletest)")
  endif()
  # A function scope: GoogleTest is built with our compiler but not our warnings.
  function(add_googletest_from_source)
    set(CMAKE_CXX_FLAGS "")
    set(BUILD_SHARED_LIBS OFF)
    add_subdirectory(${SALVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endfunction()
  add_googletest_from_source()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
