# Coverage counters for the fuzzers. With VORN_FUZZ every library of the player is compiled with
# -fsanitize=fuzzer-no-link, so libFuzzer sees the paths an input opens in the code it fuzzes (the
# harnesses alone would give it next to nothing), and the build fails when a library carries no
# coverage symbols. Without VORN_FUZZ a test shows that the check fails on a library without them.

set(vorn_product_libraries)
foreach(dir platform foundation engine graphics text transitions media net toolstrip components motion app)
  get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/src/${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND vorn_product_libraries ${target})
    endif()
  endforeach()
endforeach()

set(vorn_coverage_check ${PROJECT_SOURCE_DIR}/scripts/check_fuzz_coverage.py)
if(VORN_FUZZ)
  set(library_files)
  foreach(target ${vorn_product_libraries})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    list(APPEND library_files $<TARGET_FILE:${target}>)
  endforeach()
  add_custom_target(fuzz_coverage_check ALL
    COMMAND ${Python3_EXECUTABLE} ${vorn_coverage_check} ${library_files}
    DEPENDS ${vorn_product_libraries}
    COMMENT "Checking that every library carries coverage counters"
    VERBATIM)
elseif(TARGET vorn_foundation)
  add_test(NAME house.fuzz_coverage_check_fails_without_counters
    COMMAND ${Python3_EXECUTABLE} ${vorn_coverage_check} $<TARGET_FILE:vorn_foundation>)
  set_tests_properties(house.fuzz_coverage_check_fails_without_counters PROPERTIES
    PASS_REGULAR_EXPRESSION "no coverage counters in .*vorn_foundation")
endif()
