# What both mingw-w64 toolchain files share; they set mingw_prefix and the processor first.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread flavour on every release: with the win32 one, Debian 13's GCC 14 stops inside
# <bits/std_mutex.h> (no __gthread_cond_wait). Its run-time libraries are linked in statically
# (cmake/windows-program.cmake).
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
set(CMAKE_DLLTOOL ${mingw_prefix}-dlltool)

# Libraries and headers come from the cross tree only; the build's own tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
