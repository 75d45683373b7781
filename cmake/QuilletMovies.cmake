# Flash movies are written in Haxe and compiled at build time; no binary movie
# is kept in the repository.
find_program(HAXE_EXECUTABLE haxe REQUIRED)

# quillet_add_movie(<target> MAIN <class> SOURCE_DIR <dir> OUTPUT <file.swf>
#                   [WIDTH w] [HEIGHT h] [FPS f] [BACKGROUND RRGGBB] [SWF_VERSION v])
function(quillet_add_movie target)
  cmake_parse_arguments(M "" "MAIN;SOURCE_DIR;OUTPUT;WIDTH;HEIGHT;FPS;BACKGROUND;SWF_VERSION" "" ${ARGN})
  foreach(default WIDTH:640 HEIGHT:480 FPS:30 BACKGROUND:FFFFFF SWF_VERSION:10)
    string(REPLACE ":" ";" pair ${default})
    list(GET pair 0 key)
    list(GET pair 1 value)
    if(NOT DEFINED M_${key})
      set(M_${key} ${value})
    endif()
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${M_SOURCE_DIR}/*.hx)
  get_filename_component(out_dir ${M_OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${M_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${HAXE_EXECUTABLE} -cp ${M_SOURCE_DIR} -main ${M_MAIN} -swf ${M_OUTPUT}
            -swf-version ${M_SWF_VERSION}
            -swf-header ${M_WIDTH}:${M_HEIGHT}:${M_FPS}:${M_BACKGROUND}
    DEPENDS ${sources}
    COMMENT "Compiling movie ${target}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${M_OUTPUT})
endfunction()
