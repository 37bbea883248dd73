# Helpers that keep each subsystem's CMakeLists down to its name and dependencies.
# Sources are globbed, so adding a file to a subsystem needs no build-file edit.

set(VORN_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(VORN_GENERATED_ROOT ${PROJECT_BINARY_DIR}/generated)

# vorn_library(NAME [DEPS dep...])
# Builds src/NAME/**/*.cpp into the static library vorn_NAME (alias vorn::NAME).
# A subsystem with no sources yet is an interface library, so callers can link it already.
function(vorn_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND sources ${ARG_SOURCES})
  if(sources)
    add_library(vorn_${name} STATIC ${sources})
    target_include_directories(vorn_${name} PUBLIC ${VORN_SOURCE_ROOT} ${VORN_GENERATED_ROOT})
    target_link_libraries(vorn_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  else()
    add_library(vorn_${name} INTERFACE)
    target_include_directories(vorn_${name} INTERFACE ${VORN_SOURCE_ROOT} ${VORN_GENERATED_ROOT})
    target_link_libraries(vorn_${name} INTERFACE ${ARG_DEPS} Threads::Threads)
  endif()
  add_library(vorn::${name} ALIAS vorn_${name})
endfunction()

# vorn_test_suite(NAME LIBS lib...)
# Builds tests/NAME/**/*.cpp into one GoogleTest binary NAME_tests and registers its cases.
function(vorn_test_suite name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name}_tests PRIVATE ${ARG_LIBS} vorn_test_support GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name}_tests PRIVATE
    VORN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VORN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_PREFIX ${name}.
    PROPERTIES LABELS ${name})
endfunction()
