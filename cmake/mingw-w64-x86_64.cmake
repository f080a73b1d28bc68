# The same program for 64-bit x86 (g++-mingw-w64-x86-64-posix): what the Wine suite runs where
# the machine cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
