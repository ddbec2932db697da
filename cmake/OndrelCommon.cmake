# Shared compile settings for our own targets: warnings are errors in our code,
# system headers (Qt, QCustomPlot, GoogleTest) are left alone.
function(ondrel_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    -Wno-error=deprecated-declarations)
  if(ONDREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
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
