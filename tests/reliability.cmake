# The fault matrix (docs/RELIABILITY.md): damaged data, missing devices, an
# unwritable log, awkward input; the headless program through salute-capture
# (the desktop program's cases are in tests/desktop/). Also the long runs: a
# whole presentation under valgrind, and the soak (labels `valgrind` and
# `soak`, left out of the default ./test.sh run and run by .ci/run).
add_executable(reliability_test
  reliability_support.cpp
  reliability_pictures_test.cpp
  reliability_log_test.cpp
  reliability_shell_test.cpp)
target_link_libraries(reliability_test PRIVATE test_support assets_test_pictures tools_common GTest::gtest_main)
gtest_discover_tests(reliability_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600 LABELS reliability)

# A whole presentation of the real data under valgrind's memcheck.
add_test(NAME reliability_valgrind
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/reliability_valgrind.sh $<TARGET_FILE:salute-capture> ${CMAKE_BINARY_DIR}
    ${CMAKE_CURRENT_SOURCE_DIR}/valgrind.supp)
set_tests_properties(reliability_valgrind PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 3600 LABELS valgrind)

# The soak's headless half: the whole run twice, frame for frame the same
# (the desktop half is in tests/desktop/).
add_test(NAME soak.headless_identical
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/soak_headless.sh $<TARGET_FILE:salute-capture> ${CMAKE_BINARY_DIR})
set_tests_properties(soak.headless_identical PROPERTIES TIMEOUT 1800 LABELS soak)

# A second fuzzer, over the timing log's entry formatting (built with clang's
# libFuzzer like the JPEG fuzzer in assets.cmake; a short run here, long runs
# with scripts/fuzz-log.sh).
if(SALUTE_FUZZ_CXX AND SALUTE_FUZZ_WORKS)
  set(log_fuzz ${CMAKE_CURRENT_BINARY_DIR}/log_fuzz)
  set(log_fuzz_sources ${CMAKE_CURRENT_SOURCE_DIR}/reliability_fuzz_log.cpp ${CMAKE_SOURCE_DIR}/log/TimingLog.cpp)
  add_custom_command(OUTPUT ${log_fuzz}
    COMMAND ${SALUTE_FUZZ_CXX} -std=c++17 -O1 -g -fno-omit-frame-pointer
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
      -I${CMAKE_SOURCE_DIR} ${log_fuzz_sources} -o ${log_fuzz}
    DEPENDS ${log_fuzz_sources} ${CMAKE_SOURCE_DIR}/log/TimingLog.h
    COMMENT "Building the log formatting fuzzer with clang"
    VERBATIM)
  add_custom_target(reliability_log_fuzz ALL DEPENDS ${log_fuzz})
  add_test(NAME reliability_log_fuzz_smoke COMMAND ${log_fuzz} -runs=300000 -seed=1 -max_total_time=120)
  set_tests_properties(reliability_log_fuzz_smoke PROPERTIES TIMEOUT 180 LABELS reliability)
endif()

# The third fuzzer, over the music file as the headless program and the
# capture tool open and read it; a short run here, long runs with
# scripts/fuzz-long.sh music. Its seeds are made with libvorbisenc.
add_executable(reliability_music_seeds fuzz/make_music_seeds.cpp)
target_link_libraries(reliability_music_seeds PRIVATE tools_common)
if(SALUTE_FUZZ_CXX AND SALUTE_FUZZ_WORKS)
  set(music_fuzz ${CMAKE_CURRENT_BINARY_DIR}/music_fuzz)
  set(music_fuzz_sources
    ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/music_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/platform/headless/AudioHeadless.cpp
    ${CMAKE_SOURCE_DIR}/platform/common/DataFile.cpp
    ${CMAKE_SOURCE_DIR}/tools/capture/MusicTrack.cpp)
  list(TRANSFORM VORBIS_LIBRARIES PREPEND -l OUTPUT_VARIABLE music_fuzz_libraries)
  add_custom_command(OUTPUT ${music_fuzz}
    COMMAND ${SALUTE_FUZZ_CXX} -std=c++17 -O1 -g -fno-omit-frame-pointer
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
      -I${CMAKE_SOURCE_DIR} ${music_fuzz_sources} ${music_fuzz_libraries} -o ${music_fuzz}
    DEPENDS ${music_fuzz_sources} ${CMAKE_SOURCE_DIR}/platform/common/DataFile.h
      ${CMAKE_SOURCE_DIR}/tools/capture/MusicTrack.h ${CMAKE_SOURCE_DIR}/platform/audio.h
    COMMENT "Building the music fuzzer with clang"
    VERBATIM)
  add_custom_target(reliability_music_fuzz ALL DEPENDS ${music_fuzz})
  add_test(NAME reliability_music_fuzz_smoke
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/smoke.sh ${music_fuzz} $<TARGET_FILE:reliability_music_seeds>
      ${CMAKE_CURRENT_BINARY_DIR}/music_fuzz_smoke 20000 music)
  set_tests_properties(reliability_music_fuzz_smoke PROPERTIES TIMEOUT 180 LABELS reliability)
endif()

# clang-tidy over the project's code as part of the suite (the `tidy` target
# runs the same), with the build's compile commands. Left out when it is not
# installed, and in the sanitizer builds (the same code, checked once).
if(SALUTE_CLANG_TIDY AND SALUTE_RUN_CLANG_TIDY AND NOT SALUTE_SANITIZE AND NOT SALUTE_SANITIZE_THREAD)
  add_test(NAME tidy
    COMMAND ${SALUTE_RUN_CLANG_TIDY} -quiet -j 1 -clang-tidy-binary ${SALUTE_CLANG_TIDY} -p ${CMAKE_BINARY_DIR}
      "^${CMAKE_SOURCE_DIR}/(app|assets|scene|text|log|platform|tools)/.*\\.cpp$"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(tidy PROPERTIES TIMEOUT 600 LABELS tidy)
endif()
