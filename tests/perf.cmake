# Faster ways to the driver that must change no pixel: the font drawn from
# a texture against its glyph lists.
add_executable(perf_text_test perf_text_test.cpp)
target_link_libraries(perf_text_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(perf_text_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
