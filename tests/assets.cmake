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
  -Wl,--wrap=glBindTexture,--wrap=glDeleteTextures,--wrap=glGetIntegerv,--wrap=glGetString)
gtest_discover_tests(assets_texture_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# Fuzzing the loader takes clang's libFuzzer; the fuzzer is built with clang
# beside this build whatever the compiler here, and the suite gives it a short
# smoke run (scripts/fuzz-long.sh runs it for as long as wanted).
add_executable(assets_jpeg_seeds fuzz/make_seeds.cpp)
target_link_libraries(assets_jpeg_seeds PRIVATE assets_test_pictures)

find_program(SALUTE_FUZZ_CXX NAMES clang++-14 clang++)
if(SALUTE_FUZZ_CXX AND NOT DEFINED SALUTE_FUZZ_WORKS)
  set(probe_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe)
  file(WRITE ${probe_dir}/probe.cpp
    "extern \"C\" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n")
  execute_process(
    COMMAND ${SALUTE_FUZZ_CXX} -fsanitize=fuzzer,address,undefined probe.cpp -o probe
    WORKING_DIRECTORY ${probe_dir} RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    set(SALUTE_FUZZ_WORKS ON CACHE INTERNAL "clang can build libFuzzer targets")
  else()
    set(SALUTE_FUZZ_WORKS OFF CACHE INTERNAL "clang can build libFuzzer targets")
  endif()
endif()

if(SALUTE_FUZZ_CXX AND SALUTE_FUZZ_WORKS)
  set(jpeg_fuzz ${CMAKE_CURRENT_BINARY_DIR}/jpeg_fuzz)
  set(jpeg_fuzz_sources
    ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/jpeg_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/assets/Image.cpp
    ${CMAKE_SOURCE_DIR}/assets/JpegLoader.cpp
    ${CMAKE_SOURCE_DIR}/assets/DataFile.cpp)
  add_custom_command(OUTPUT ${jpeg_fuzz}
    COMMAND ${SALUTE_FUZZ_CXX} -std=c++17 -O1 -g -fno-omit-frame-pointer
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
      -I${CMAKE_SOURCE_DIR} ${jpeg_fuzz_sources} ${JPEG_LIBRARIES} -o ${jpeg_fuzz}
    DEPENDS ${jpeg_fuzz_sources} ${CMAKE_SOURCE_DIR}/assets/Image.h ${CMAKE_SOURCE_DIR}/assets/JpegLoader.h
    COMMENT "Building the JPEG fuzzer with clang"
    VERBATIM)
  add_custom_target(assets_jpeg_fuzz ALL DEPENDS ${jpeg_fuzz})
  add_test(NAME assets_jpeg_fuzz_smoke
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/smoke.sh ${jpeg_fuzz} $<TARGET_FILE:assets_jpeg_seeds>
      ${CMAKE_CURRENT_BINARY_DIR}/fuzz_smoke)
  set_tests_properties(assets_jpeg_fuzz_smoke PROPERTIES TIMEOUT 180)
else()
  add_test(NAME assets_jpeg_fuzz_smoke
    COMMAND sh -c "echo 'clang with libFuzzer not found: the JPEG fuzz run is skipped'; exit 77")
  set_tests_properties(assets_jpeg_fuzz_smoke PROPERTIES SKIP_RETURN_CODE 77)
endif()
