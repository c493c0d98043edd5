# Run by CPack on the staged files before it makes the Debian package:
# Debian keeps games' programs in /usr/games, not /usr/bin (lintian refuses
# a package of section games without one there). A plain `cmake --install`
# keeps bin/, which is on every PATH. The game finds its resources the same
# way from either: ../share/sorvel beside its own folder.
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${staged}/bin/sorvel")
  message(FATAL_ERROR "the staged package has no bin/sorvel (in ${staged})")
endif()
file(MAKE_DIRECTORY "${staged}/games")
file(RENAME "${staged}/bin/sorvel" "${staged}/games/sorvel")
file(GLOB left "${staged}/bin/*")
if(left)
  message(FATAL_ERROR "the staged package has more than the game in bin/: ${left}")
endif()
file(REMOVE_RECURSE "${staged}/bin")
