# `cpack -G DEB` from a Release tree makes the Debian package:
# sorvel_<version>_<arch>.deb, installing what cmake/install.cmake lays out
# under /usr, but for the program, which goes to /usr/games. scripts/package.sh
# builds one from a clean tree and runs lintian on it.

if(NOT SORVEL_BUILD_APP)
  return()
endif()

set(SORVEL_PACKAGE_MAINTAINER "The Sorvel developers <developers@sorvel.org>")

# What Debian wants beside every package in /usr/share/doc/<package>: the
# licence in its machine-readable copyright format, written from LICENSE so
# the two cannot differ, and the changelog compressed without a time stamp.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n")
  message(FATAL_ERROR "LICENSE does not start with the MIT licence's title and copyright line")
endif()
set(licence_copyright "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n\nCopyright \\(c\\) [^\n]+\n\n" "" licence_terms "${licence}")
string(REGEX REPLACE "\n+$" "" licence_terms "${licence_terms}")
# Continuation lines start with a space, and an empty one is a lone dot.
string(REPLACE "\n\n" "\n.\n" licence_terms "${licence_terms}")
string(REPLACE "\n" "\n " licence_terms "${licence_terms}")
set(doc_dir ${CMAKE_BINARY_DIR}/doc)
file(CONFIGURE OUTPUT ${doc_dir}/copyright @ONLY CONTENT [[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: sorvel
Upstream-Contact: @SORVEL_PACKAGE_MAINTAINER@

Files: *
Copyright: @licence_copyright@
License: Expat

License: Expat
 @licence_terms@
]])
add_custom_command(OUTPUT ${doc_dir}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${doc_dir}/changelog
  COMMAND gzip -9nf ${doc_dir}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(sorvel_changelog ALL DEPENDS ${doc_dir}/changelog.gz)
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz DESTINATION share/doc/sorvel)

# Packaging installs what was built and builds nothing itself: a test makes
# the package from the test tree, where building everything first would
# take the rest of its time (scripts/package.sh builds before it packages).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SORVEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the fonts the interface and the
# clues are set in are looked up by name at run time, so no library pulls
# them in (src/ui/fonts.cpp, src/render/glyph_atlas.cpp). The film needs an
# encoder, but the game does not. libepoxy opens the GL and EGL libraries
# only when the game runs, so dpkg-shlibdeps cannot see them either.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-inter, fonts-vollkorn, fonts-urw-base35, libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D logic puzzle: carve wooden blocks down to hidden figures")
set(CPACK_PACKAGE_DESCRIPTION [[
Each puzzle is a block of wooden cubes with a little painted toy hidden
inside. Numbers printed on the cubes tell how many cubes of their row belong
to the figure; a circle or a square around a number says that they stand in
two groups, or in three or more. Turn the block, carve away the cubes that do
not belong and mark the ones that surely stay, until the figure pops out and
turns on its plinth.

Five chapters of figures open one after another, and chapters of the
player's own join them. The game plays with the mouse, the keyboard alone or
a gamepad, and saves progress after every move. It speaks Spanish, and
English once chosen in its settings.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_games_dir.cmake)
# Control files as dpkg-deb itself would make them (0644, scripts 0755).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
