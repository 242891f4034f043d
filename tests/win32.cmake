# The Win32 message rules both backends share: one test source, built once
# against each backend. The desktop one runs on SDL's offscreen driver.
foreach(backend headless sdl)
  add_executable(win32_contract_${backend} win32_contract_test.cpp)
  target_link_libraries(win32_contract_${backend} PRIVATE platform_${backend} GTest::gtest_main)
  gtest_discover_tests(win32_contract_${backend} TEST_PREFIX win32.${backend}. DISCOVERY_TIMEOUT 60)
endforeach()
target_compile_definitions(win32_contract_sdl PRIVATE SALUTE_CONTRACT_SDL=1)
