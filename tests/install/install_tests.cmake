# Installs this tree into a scratch prefix and checks what lands there: the
# files, the desktop entry, the icons and the installed game finding its
# resources. It installs what was built, so it needs the game and the icons
# built first (both are part of the default build).
add_test(NAME install.layout
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_install.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${SORVEL_APP_ID}
  ${SORVEL_ICON_SIZES})
set_tests_properties(install.layout PROPERTIES LABELS unit TIMEOUT 120 RESOURCE_LOCK install_tree)

# The AppStream data and the desktop entry, through their validators and
# against each other and the version built. The validators are outside
# programs: under the sanitizers' pass they would have the runtime preloaded.
if(NOT SORVEL_SANITIZE)
  add_test(NAME install.metadata
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_metadata.sh ${PROJECT_SOURCE_DIR} ${SORVEL_APP_ID} ${PROJECT_VERSION})
  set_tests_properties(install.metadata PROPERTIES LABELS unit TIMEOUT 60)
  # The manual page as man shows it, against what the program says of itself.
  add_test(NAME install.man_page
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_manpage.sh $<TARGET_FILE:sorvel> ${CMAKE_BINARY_DIR}/man/sorvel.6.gz
    ${PROJECT_SOURCE_DIR})
  set_tests_properties(install.man_page PROPERTIES LABELS unit TIMEOUT 60)
  # The Debian package made from this tree, unpacked and played, and lintian
  # on it. Its still draws with GL, as the still tests do. It installs the
  # tree as install.layout does, so the two take turns.
  add_test(NAME install.package
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(install.package PROPERTIES LABELS render TIMEOUT 300 RESOURCE_LOCK install_tree)
endif()
