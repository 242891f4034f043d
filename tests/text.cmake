# Text overlay and timing log: the font and the pages on an offscreen
# context, the log's formatting and file in-process, and both through the
# whole program on the headless backend.
add_executable(text_test text_font_test.cpp text_pages_test.cpp text_run_test.cpp)
target_link_libraries(text_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(text_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)

add_executable(log_test log_format_test.cpp log_run_test.cpp)
target_link_libraries(log_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(log_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
