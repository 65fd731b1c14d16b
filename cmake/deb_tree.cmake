# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the installed tree, before the
# Debian package is made from it: lays the tree out as Debian wants it.
# - the game stripped as Debian strips its programs: no symbols, and none of
#   the compiler's notes;
# - the manual page, gzipped;
# - in the doc folder: the copyright file instead of LICENSE (it holds the
#   same licence), the changelog, and whatever is over 4 kB, gzipped.
# gzip -9n: best compression, and no name or time stamp in the header, so
# that the same tree always gives the same bytes.

if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# The changelog's newest entry must be the version being packaged.
file(STRINGS "${CPACK_SALVO_CHANGELOG}" top LIMIT_COUNT 1)
if(NOT top MATCHES "^salvo \\(([^)]+)\\)")
  message(FATAL_ERROR "${CPACK_SALVO_CHANGELOG}: the first line is not \"salvo (VERSION) ...\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL CPACK_SALVO_VERSION)
  message(FATAL_ERROR "${CPACK_SALVO_CHANGELOG}: the newest entry is ${CMAKE_MATCH_1}, the project is "
                      "${CPACK_SALVO_VERSION}: add an entry for ${CPACK_SALVO_VERSION}")
endif()

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/${CPACK_SALVO_DOCDIR}")

function(gzip_best file)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip -9nf ${file} failed")
  endif()
endfunction()

file(GLOB programs "${root}/${CPACK_SALVO_BINDIR}/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_SALVO_STRIP}" --remove-section=.comment --remove-section=.note --strip-unneeded
                          "${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${CPACK_SALVO_STRIP} ${program} failed")
  endif()
endforeach()

file(GLOB_RECURSE pages "${root}/${CPACK_SALVO_MANDIR}/*")
foreach(page IN LISTS pages)
  gzip_best("${page}")
endforeach()

file(REMOVE "${doc}/LICENSE")
set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(COPY "${CPACK_SALVO_COPYRIGHT}" "${CPACK_SALVO_CHANGELOG}" DESTINATION "${doc}" FILE_PERMISSIONS ${readable})
gzip_best("${doc}/changelog")
file(GLOB docs "${doc}/*")
foreach(file IN LISTS docs)
  file(SIZE "${file}" size)
  if(size GREATER 4096 AND NOT file MATCHES "/copyright$|\\.gz$")
    gzip_best("${file}")
  endif()
endforeach()
