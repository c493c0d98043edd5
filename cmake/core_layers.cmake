# The core's folders include only the folders beneath them: base at the
# bottom; puzzle, audio and meshes on it; game on top. None of them includes a
# window, GPU, font or image library, so the core keeps building and testing
# without a display or GPU. Checked at every configure and again by CTest, so
# the layering cannot rot unnoticed.
#
#   include(core_layers.cmake)                        # from the source tree
#   cmake -DSORVEL_SOURCE_DIR=<src> -P core_layers.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_policy(VERSION 3.25)
endif()

set(_sorvel_may_use_base base)
set(_sorvel_may_use_puzzle base puzzle)
set(_sorvel_may_use_audio base audio)
set(_sorvel_may_use_meshes base meshes)
set(_sorvel_may_use_game base puzzle audio meshes game)

function(sorvel_check_core_layers source_dir)
  foreach(layer base puzzle audio meshes game)
    file(GLOB_RECURSE files "${source_dir}/${layer}/*.cpp" "${source_dir}/${layer}/*.hpp")
    foreach(file IN LISTS files)
      file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
      foreach(line IN LISTS includes)
        if(line MATCHES "include[ \t]*\"([A-Za-z_]+)/")
          if(NOT CMAKE_MATCH_1 IN_LIST _sorvel_may_use_${layer})
            message(FATAL_ERROR "${file} includes \"${CMAKE_MATCH_1}/...\", but the core's ${layer} "
                                "may include only: ${_sorvel_may_use_${layer}}")
          endif()
        elseif(line MATCHES "include[ \t]*<(SDL|epoxy|EGL|GL/|cairo|pango|png)")
          message(FATAL_ERROR "${file} includes <${CMAKE_MATCH_1}...>: the core builds without "
                              "window, GPU, font and image libraries")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  sorvel_check_core_layers("${SORVEL_SOURCE_DIR}")
else()
  sorvel_check_core_layers("${CMAKE_CURRENT_SOURCE_DIR}")
endif()
