# The application shell: the whole program on the headless backend, and
# the clocks and projection in-process.
add_executable(shell_test shell_test.cpp clock_test.cpp)
target_link_libraries(shell_test PRIVATE salute_program platform_headless test_support GTest::gtest_main)
gtest_discover_tests(shell_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
