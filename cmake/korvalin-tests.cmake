find_package(GTest REQUIRED)
include(GoogleTest)

# korvalin_add_gtest(NAME LABEL SOURCES... [LIBRARIES libs...] [DEFINITIONS defs...]
#                    [DEPENDS targets...] [PROPERTIES props...] [BY_HAND])
# A Google Test program of ours, linked with gtest's main, each of its tests registered under
# LABEL. DEPENDS names the programs it runs; BY_HAND leaves registering its tests to the caller.
function(korvalin_add_gtest name label)
  cmake_parse_arguments(PARSE_ARGV 2 test "BY_HAND" ""
    "LIBRARIES;DEFINITIONS;DEPENDS;PROPERTIES")
  add_executable(${name} ${test_UNPARSED_ARGUMENTS})
  korvalin_code(${name})
  target_link_libraries(${name} PRIVATE ${test_LIBRARIES} GTest::gtest_main)
  if(test_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${test_DEFINITIONS})
  endif()
  if(test_DEPENDS)
    add_dependencies(${name} ${test_DEPENDS})
  endif()
  if(NOT test_BY_HAND)
    gtest_discover_tests(${name} PROPERTIES LABELS "${label}" ${test_PROPERTIES})
  endif()
endfunction()
