# velmora_library(NAME <lib> [DEPS <libs...>] [LIBS <external targets...>])
#
# One static library per subsystem folder. Sources are the folder's *.cpp files without the
# *_test.cpp ones; those become the folder's test binary "<lib>_tests", run by CTest. A folder
# whose code has not arrived yet becomes an interface library so that its dependants still link.
function(velmora_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(sources ${all_sources})
  list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
  set(tests ${all_sources})
  list(FILTER tests INCLUDE REGEX "_test\\.cpp$")

  if(sources)
    add_library(velmora_${name} STATIC ${sources})
    target_include_directories(velmora_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(velmora_${name} PUBLIC ${ARG_DEPS} ${ARG_LIBS})
  else()
    add_library(velmora_${name} INTERFACE)
    target_include_directories(velmora_${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(velmora_${name} INTERFACE ${ARG_DEPS} ${ARG_LIBS})
  endif()

  if(VELMORA_TESTS AND tests)
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE velmora_${name} velmora_testing GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
  endif()
endfunction()
