# The Debian package. In a release build, `cpack -G DEB` makes
# salvo_<version>_<arch>.deb from the install rules; deb_tree.cmake turns the
# installed tree into a Debian one on the way (compressed manual page and
# docs, the changelog, the copyright file in place of LICENSE).

# The maintainer names the project, not a person: change it here, or with
# -D, when the project has an address of its own. The homepage is set in
# install.cmake, for the metainfo too.
set(SALVO_DEB_MAINTAINER "The salvo developers <salvo@example.org>"
    CACHE STRING "Maintainer of the Debian package, as: Name <address>")

# The copyright file, in Debian's machine-readable format, made from LICENSE
# so that the licence text lives in one place: its copyright line (read in
# CMakeLists.txt) becomes the Copyright field, the terms below it the licence
# paragraph (lines indented by one space, an empty line written as " .").
string(REGEX REPLACE "^.*\nCopyright \\(c\\) [^\n]+\n" "" terms "${SALVO_LICENCE_TEXT}")
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
set(SALVO_LICENCE " ${terms}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME salvo)
set(CPACK_PACKAGE_VENDOR "The salvo developers")
set(CPACK_PACKAGE_CONTACT "${SALVO_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "naval battle against the computer on the text console")
set(CPACK_PACKAGE_DESCRIPTION [=[
You and the computer each hide a fleet of ten straight ships on a sea of
10 by 10 squares, ships never touching, not even at a corner, and take
turns of three shots each until one fleet is wholly sunk. You place your
fleet by hand or at random, and fire by typing a square such as b7.

Five opponents: one that fires at random, one that follows up its hits,
a choosier one, a Champion that now and then gets a lucky shot, and an
Admiral that fires where a ship is likeliest, from its own shots alone.

The game plays in colour in a terminal of 80 by 24 or more.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SALVO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# For deb_tree.cmake, which runs inside cpack and sees only CPACK_ variables.
set(CPACK_SALVO_VERSION ${PROJECT_VERSION})
set(CPACK_SALVO_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set(CPACK_SALVO_COPYRIGHT ${PROJECT_BINARY_DIR}/copyright)
set(CPACK_SALVO_DOCDIR ${CMAKE_INSTALL_DOCDIR})
set(CPACK_SALVO_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_SALVO_BINDIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_SALVO_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_tree.cmake)

include(CPack)
