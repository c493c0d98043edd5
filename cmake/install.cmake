# What `cmake --install` puts under the prefix: the game in bin/, what it
# reads in share/sorvel/, and what a desktop needs to list it in its menus.
#
# The folders are written out rather than taken from GNUInstallDirs: the game
# finds its resources at <its own folder>/../share/sorvel, so moving either
# one would leave an installed game without its puzzles.

if(NOT SORVEL_BUILD_APP)
  return()
endif()

# The name desktops know the game by: its desktop entry, its icon and its
# AppStream component all carry it, and software centres match them by it.
set(SORVEL_APP_ID org.sorvel.Sorvel)

# The icon is drawn at build time by a tool of ours with Cairo, each size from
# the vectors, and once more as an SVG (tools/icon/make_icon.cpp).
find_package(PkgConfig REQUIRED)
pkg_check_modules(SORVEL_ICON_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-svg)
add_executable(sorvel-icon ${PROJECT_SOURCE_DIR}/tools/icon/make_icon.cpp)
target_link_libraries(sorvel-icon PRIVATE sorvel_core PkgConfig::SORVEL_ICON_CAIRO sorvel_warnings)

# The sizes desktops ask the hicolor theme for.
set(SORVEL_ICON_SIZES 16 24 32 48 64 128 256)
set(icon_dir ${CMAKE_BINARY_DIR}/icons)
set(icon_files ${icon_dir}/scalable/${SORVEL_APP_ID}.svg)
foreach(size IN LISTS SORVEL_ICON_SIZES)
  list(APPEND icon_files ${icon_dir}/${size}x${size}/${SORVEL_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND sorvel-icon ${icon_dir} ${SORVEL_APP_ID} ${SORVEL_ICON_SIZES}
  DEPENDS sorvel-icon
  COMMENT "Drawing the icon"
  VERBATIM)
add_custom_target(sorvel_icons ALL DEPENDS ${icon_files})

# The manual page sorvel(6): the hand-written page with the options written
# in from the table `sorvel --help` prints (tools/manpage), then compressed
# as Debian asks, without a time stamp so that every build makes the same
# bytes.
set(man_page ${CMAKE_BINARY_DIR}/man/sorvel.6)
add_custom_command(OUTPUT ${man_page} ${man_page}.gz
  COMMAND sorvel-manpage ${PROJECT_SOURCE_DIR}/packaging/sorvel.6.in ${man_page} ${PROJECT_VERSION}
  COMMAND gzip -9nkf ${man_page}
  DEPENDS sorvel-manpage ${PROJECT_SOURCE_DIR}/packaging/sorvel.6.in
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_target(sorvel_man_page ALL DEPENDS ${man_page} ${man_page}.gz)

install(TARGETS sorvel RUNTIME DESTINATION bin)
# Only what the game loads: the figure sources under resources/figures are
# for the author tool.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/puzzles ${PROJECT_SOURCE_DIR}/resources/toys
  ${PROJECT_SOURCE_DIR}/resources/chapters
  DESTINATION share/sorvel
  FILES_MATCHING PATTERN "*.json" PATTERN "*.mesh" PATTERN "*.png")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${SORVEL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${SORVEL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size IN LISTS SORVEL_ICON_SIZES)
  install(FILES ${icon_dir}/${size}x${size}/${SORVEL_APP_ID}.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_dir}/scalable/${SORVEL_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${man_page}.gz DESTINATION share/man/man6)
