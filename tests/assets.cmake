# Pictures and textures: JPEG decoding, the alpha merge, textures and their
# bind cache, and a fuzzer over the decoder.

# Test pictures made on the spot (well-formed, damaged and hostile ones).
add_library(assets_test_pictures STATIC assets_JpegCraft.cpp)
target_include_directories(assets_test_pictures PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(assets_test_pictures PUBLIC tools_common JPEG::JPEG)

add_executable(assets_jpeg_test assets_jpeg_test.cpp)
target_link_libraries(assets_jpeg_test PRIVATE salute_program platform_headless test_support
  assets_test_pictures GTest::gtest_main)
gtest_discover_tests(assets_jpeg_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# The GL entry points that the bind cache and the anisotropy query use are
# wrapped at link time, so the test sees (and can answer) each call.
add_executable(assets_texture_test assets_texture_test.cpp)
target_link_libraries(assets_texture_test PRIVATE salute_program platform_headless test_support
  GTest::gtest_main)
target_link_options(assets_texture_test PRIVATE
  -Wl,--wrap=glBindTexture,--wrap=glDeleteTextures,--wrap=glGetIntegerv)
gtest_discover_tests(assets_texture_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
