# The scene and the asset load: particle and card numbers in-process, the
# photo timeline and the load through the whole program on the headless
# backend, and golden frames of the real presentation.

add_executable(scene_unit_test scene_unit_test.cpp)
target_link_libraries(scene_unit_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(scene_unit_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

add_executable(scene_load_test scene_load_test.cpp)
target_link_libraries(scene_load_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(scene_load_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)

add_executable(scene_timeline_test scene_timeline_test.cpp)
target_link_libraries(scene_timeline_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(scene_timeline_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 900)

# Golden frames of the real presentation (see tests/golden/README.md).
add_executable(scene_golden_test scene_golden_test.cpp)
target_link_libraries(scene_golden_test PRIVATE test_support GTest::gtest_main)
gtest_discover_tests(scene_golden_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 900)

# Remakes the references in tests/golden/ from the current build.
add_custom_target(bless-golden
  COMMAND ${CMAKE_COMMAND} -E env SALUTE_BLESS_GOLDEN=1 $<TARGET_FILE:scene_golden_test>
  DEPENDS scene_golden_test salute-capture salute_data
  COMMENT "Remaking the golden frames in tests/golden/"
  USES_TERMINAL
  VERBATIM)
