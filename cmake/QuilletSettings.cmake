# Compile settings shared by every target of the project.
add_library(quillet_settings INTERFACE)
target_compile_features(quillet_settings INTERFACE cxx_std_17)
target_compile_options(quillet_settings INTERFACE -Wall -Wextra)
target_compile_definitions(quillet_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_KEYWORDS
  QUILLET_VERSION="${PROJECT_VERSION}"
)
if(DEFINED ENV{CI})
  target_compile_options(quillet_settings INTERFACE -Werror)
endif()

# Adds every subfolder of the current folder that has a CMakeLists.txt, so
# that a new group of tests, movies or benchmarks registers itself.
function(quillet_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
