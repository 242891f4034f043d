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
