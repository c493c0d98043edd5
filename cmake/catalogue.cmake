# The English catalogue: po/en.po, compiled where the game looks for it in the
# build tree (<build>/locale) and installed where it looks beside /usr/bin.
# Spanish is the texts' own language and needs no catalogue.

find_program(SORVEL_MSGFMT msgfmt REQUIRED)
set(SORVEL_BUILD_LOCALE ${CMAKE_BINARY_DIR}/locale)
set(catalogue ${SORVEL_BUILD_LOCALE}/en/LC_MESSAGES/sorvel.mo)
# --check refuses a translation whose format or plural forms do not match.
add_custom_command(OUTPUT ${catalogue}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SORVEL_BUILD_LOCALE}/en/LC_MESSAGES
  COMMAND ${SORVEL_MSGFMT} --check --output-file=${catalogue} ${PROJECT_SOURCE_DIR}/po/en.po
  DEPENDS ${PROJECT_SOURCE_DIR}/po/en.po
  COMMENT "Compiling the English catalogue"
  VERBATIM)
add_custom_target(sorvel_catalogue ALL DEPENDS ${catalogue})
add_dependencies(sorvel_core sorvel_catalogue)
target_compile_definitions(sorvel_core PRIVATE SORVEL_BUILD_LOCALE="${SORVEL_BUILD_LOCALE}")

if(SORVEL_BUILD_APP)
  install(FILES ${catalogue} DESTINATION share/locale/en/LC_MESSAGES)
endif()
