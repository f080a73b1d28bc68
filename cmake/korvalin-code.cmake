# What each of our targets is built with: the warnings the code is held to, and includes that
# name their layer (#include "mesh/mesh_scene.h"). Given target by target, so that code built
# from elsewhere (the test framework, the fuzzing runtime) keeps its own flags.
option(KORVALIN_WARNINGS_AS_ERRORS "Fail the build on any warning (the README's test command)" OFF)

set(korvalin_warnings -Wall -Wextra -Wshadow)
if(KORVALIN_WARNINGS_AS_ERRORS)
  list(APPEND korvalin_warnings -Werror)
endif()

function(korvalin_code target)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${korvalin_warnings}>")
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
