# The capture tool as a renderer: videos, PNG sequences, their timing and
# pictures (read back with FFmpeg's libraries), and its option handling.
pkg_check_modules(CAPTURE_TEST_LIBAV REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
add_library(capture_media_probe STATIC capture_MediaProbe.cpp)
target_include_directories(capture_media_probe PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(capture_media_probe PUBLIC PkgConfig::CAPTURE_TEST_LIBAV)

add_executable(capture_video_test capture_video_test.cpp)
target_link_libraries(capture_video_test PRIVATE capture_media_probe test_support GTest::gtest_main)
gtest_discover_tests(capture_video_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600 LABELS capture)

add_executable(capture_unit_test capture_unit_test.cpp)
target_link_libraries(capture_unit_test PRIVATE salute_capture_core test_support GTest::gtest_main)
gtest_discover_tests(capture_unit_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS capture)

add_executable(capture_scale_test capture_scale_test.cpp)
target_link_libraries(capture_scale_test PRIVATE test_support GTest::gtest_main)
gtest_discover_tests(capture_scale_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600 LABELS capture)
