# The Windows program: the viewer alone, on the portable core and platform/win32/. The
# companion tools, the tests and the benchmarks stay Linux programs.
enable_language(RC)
find_package(OpenGL REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/devil-win32.cmake)

# The posix flavour's C++ library calls into libwinpthread-1.dll: linked statically, as libstdc++
# and libgcc are, so korvalin.exe needs no DLL of mingw's beside it.
add_link_options(-static)

# mingw's GL headers include windows.h unless WINGDIAPI and APIENTRY are already known (and
# GLU wants CALLBACK): with them the portable code reaches GL without it, and windows.h stays
# inside platform/win32/.
add_compile_definitions("$<$<COMPILE_LANGUAGE:CXX>:WINGDIAPI=__declspec(dllimport)>"
  "$<$<COMPILE_LANGUAGE:CXX>:APIENTRY=__stdcall>" "$<$<COMPILE_LANGUAGE:CXX>:CALLBACK=__stdcall>")

add_subdirectory(platform)
add_subdirectory(mesh)
add_subdirectory(render)
add_subdirectory(settings)
add_subdirectory(resources)
add_subdirectory(app)

# Not shipped: the decoding benchmark (through the helper against in the program), run under Wine.
add_executable(korvalin-decode-bench bench/windows/decode_bench.cpp)
korvalin_code(korvalin-decode-bench)
target_link_libraries(korvalin-decode-bench PRIVATE korvalin_mesh)
