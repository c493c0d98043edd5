# Installs this tree into a scratch prefix and checks what lands there: the
# files, the desktop entry, the icons and the installed game finding its
# resources. It installs what was built, so it needs the game and the icons
# built first (both are part of the default build).
add_test(NAME install.layout
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_install.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${SORVEL_APP_ID}
  ${SORVEL_ICON_SIZES})
set_tests_properties(install.layout PROPERTIES LABELS unit TIMEOUT 120)
