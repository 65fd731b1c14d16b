# Each folder of the program is a library, and its headers are reached
# through a tree of the library's own that holds that folder's headers
# alone. A target sees the headers of the libraries it links and no others:
# no layer can include one above it, nor a backend it does not link.
# Where the file system takes no symbolic links, every target sees the
# whole source tree instead, and only the link checks the layers.

# salvo_library(TARGET FOLDER SOURCES...): a static library of SOURCES whose
# users include FOLDER's headers as "FOLDER/name.h".
function(salvo_library target folder)
  add_library(${target} STATIC ${ARGN})
  set(tree ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${tree}/${folder}/${name} RESULT linked SYMBOLIC)
    if(NOT linked EQUAL 0)
      target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
      break()
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${tree})
endfunction()
