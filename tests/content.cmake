# The generated content: pictures, music and their recorded hashes, checked
# on the files the build made, plus the generators' own behaviour.
pkg_check_modules(CONTENT_EBUR128 REQUIRED IMPORTED_TARGET libebur128)

add_executable(content_test content_pictures_test.cpp content_music_test.cpp content_hashes_test.cpp)
target_link_libraries(content_test PRIVATE salute_program platform_headless test_support content_common
  PkgConfig::CONTENT_EBUR128 PkgConfig::VORBIS GTest::gtest_main)
target_compile_definitions(content_test PRIVATE
  SALUTE_TEXGEN_PATH="$<TARGET_FILE:salute-texgen>"
  SALUTE_MUSICGEN_PATH="$<TARGET_FILE:salute-musicgen>")
add_dependencies(content_test salute_data salute-texgen salute-musicgen)
gtest_discover_tests(content_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
