# DevIL for the Windows program: Debian's DevIL headers (libdevil-dev) and an import library for
# DevIL.dll made from DevIL.def, as the target DevIL::IL. Users put DevIL.dll beside
# korvalin.exe.
set(KORVALIN_DEVIL_HEADERS /usr/include CACHE PATH "Folder holding DevIL's IL/il.h")
if(NOT EXISTS ${KORVALIN_DEVIL_HEADERS}/IL/il.h)
  message(FATAL_ERROR "DevIL headers not found in ${KORVALIN_DEVIL_HEADERS}: install libdevil-dev")
endif()

# The cross compiler sees DevIL's headers through a folder of their own: the host's /usr/include
# holds Linux headers that must never reach it.
set(devil_include ${CMAKE_BINARY_DIR}/devil-include)
file(MAKE_DIRECTORY ${devil_include}/IL)
configure_file(${KORVALIN_DEVIL_HEADERS}/IL/il.h ${devil_include}/IL/il.h COPYONLY)

# 64-bit Windows has one calling convention and no decorated names: the list loses its @N.
set(devil_def ${CMAKE_SOURCE_DIR}/cmake/DevIL.def)
set(kill_at --kill-at)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  file(READ ${devil_def} exports)
  string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
  set(devil_def ${CMAKE_BINARY_DIR}/DevIL.def)
  file(WRITE ${devil_def} "${exports}")
  set(kill_at "")
endif()
set(devil_import_library ${CMAKE_BINARY_DIR}/libDevIL.dll.a)
add_custom_command(OUTPUT ${devil_import_library}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${devil_def} --dllname DevIL.dll ${kill_at}
    --output-lib ${devil_import_library}
  DEPENDS ${devil_def}
  COMMENT "Making the DevIL.dll import library"
  VERBATIM)
add_custom_target(korvalin_devil_import_library DEPENDS ${devil_import_library})

add_library(korvalin_devil INTERFACE)
target_include_directories(korvalin_devil SYSTEM INTERFACE ${devil_include})
target_link_libraries(korvalin_devil INTERFACE ${devil_import_library})
add_dependencies(korvalin_devil korvalin_devil_import_library)
add_library(DevIL::IL ALIAS korvalin_devil)
