# DevIL for the Windows program: Debian's DevIL headers (libdevil-dev), and the image library's
# functions from platform/win32/devil_library_win32.cpp, which load the user's DevIL.dll on first
# use (the program imports nothing from it and starts without it), as the target DevIL::IL.
set(KORVALIN_DEVIL_HEADERS /usr/include CACHE PATH "Folder holding DevIL's IL/il.h")
if(NOT EXISTS ${KORVALIN_DEVIL_HEADERS}/IL/il.h)
  message(FATAL_ERROR "DevIL headers not found in ${KORVALIN_DEVIL_HEADERS}: install libdevil-dev")
endif()

# The cross compiler sees DevIL's headers through a folder of their own: the host's /usr/include
# holds Linux headers that must never reach it.
set(devil_include ${CMAKE_BINARY_DIR}/devil-include)
file(MAKE_DIRECTORY ${devil_include}/IL)
configure_file(${KORVALIN_DEVIL_HEADERS}/IL/il.h ${devil_include}/IL/il.h COPYONLY)

# IL_STATIC_LIB: the declarations name functions of this program, not imports from a DLL.
add_library(korvalin_devil_headers INTERFACE)
target_include_directories(korvalin_devil_headers SYSTEM INTERFACE ${devil_include})
target_compile_definitions(korvalin_devil_headers INTERFACE IL_STATIC_LIB)

add_library(korvalin_devil INTERFACE)
target_link_libraries(korvalin_devil INTERFACE korvalin_devil_headers korvalin_devil_win32)
add_library(DevIL::IL ALIAS korvalin_devil)
