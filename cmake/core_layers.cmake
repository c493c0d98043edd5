# The core's folders include only the folders beneath them: base at the
# bottom; puzzle, audio and meshes on it; game on top. None of them includes a
# window, GPU, font or image library, so the core keeps building and testing
# without a display or GPU. GL itself has one owner, render/: no other folder
# includes a GL header, and the interface (ui/) includes nothing of render/,
# so it paints on the CPU and is tested without a GPU. Checked at every
# configure and again by CTest, so the layering cannot rot unnoticed.
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

function(sorvel_check_gl_owner source_dir)
  file(GLOB_RECURSE files "${source_dir}/*.cpp" "${source_dir}/*.hpp")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH relative "${source_dir}" "${file}")
    if(relative MATCHES "^render/")
      continue()
    endif()
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "include[ \t]*<(epoxy/|EGL/|GL/|GLES)")
        message(FATAL_ERROR "${file} includes <${CMAKE_MATCH_1}...>: only src/render calls GL; "
                            "give render/ a function for what this file needs")
      elseif(relative MATCHES "^ui/" AND line MATCHES "include[ \t]*\"render/")
        message(FATAL_ERROR "${file} includes \"render/...\": the interface paints on the CPU and "
                            "hands its pictures to render/, never the other way round")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  set(_sorvel_source "${SORVEL_SOURCE_DIR}")
else()
  set(_sorvel_source "${CMAKE_CURRENT_SOURCE_DIR}")
endif()
sorvel_check_core_layers("${_sorvel_source}")
sorvel_check_gl_owner("${_sorvel_source}")
