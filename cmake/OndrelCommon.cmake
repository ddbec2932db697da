# Shared compile settings for our own targets: all warnings in our code, as
# errors with ONDREL_WERROR; system headers (Qt, QCustomPlot, GoogleTest) are
# left alone.
function(ondrel_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(ONDREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror -Wno-error=deprecated-declarations)
  endif()
  if(ONDREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# A console program without Qt, linked statically with ONDREL_STATIC_CONSOLE.
function(ondrel_console_program target)
  if(ONDREL_STATIC_CONSOLE)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

# A layer below the widgets must not include a widget or chart header.
# The check runs before the layer's target is compiled and fails the build.
function(ondrel_forbid_widgets target dir)
  add_custom_target(${target}_layer_check
    COMMAND ${CMAKE_COMMAND} -DLAYER_DIR=${dir} -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake
    COMMENT "Checking that ${target} includes no widget headers"
    VERBATIM)
  add_dependencies(${target} ${target}_layer_check)
endfunction()

# A layer must not include a project header of a layer above it: `above`
# lists those layers' folders under src/. The check runs before the layer's
# target is compiled and fails the build.
function(ondrel_forbid_higher_layers target dir)
  set(above_dirs "")
  foreach(layer IN LISTS ARGN)
    list(APPEND above_dirs "${PROJECT_SOURCE_DIR}/src/${layer}")
  endforeach()
  string(REPLACE ";" "|" above_dirs "${above_dirs}")
  add_custom_target(${target}_include_check
    COMMAND ${CMAKE_COMMAND} -DLAYER_DIR=${dir} -DABOVE_DIRS=${above_dirs}
      -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMENT "Checking that ${target} includes no header of a higher layer"
    VERBATIM)
  add_dependencies(${target} ${target}_include_check)
endfunction()
