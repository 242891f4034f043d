# The desktop backend, run for real under a virtual X server (Xvfb and
# xdotool; skipped when either is missing).
set(sdl_smoke_script ${CMAKE_CURRENT_SOURCE_DIR}/sdl_smoke_test.sh)
foreach(smoke_case escape music-end alt-f4 terminate scaled no-audio bad-music no-display)
  add_test(NAME sdl_smoke.${smoke_case}
    COMMAND sh ${sdl_smoke_script} ${smoke_case} $<TARGET_FILE:salute> $<TARGET_FILE:salute-tonegen>)
endforeach()
get_property(sdl_smoke_tests DIRECTORY PROPERTY TESTS)
list(FILTER sdl_smoke_tests INCLUDE REGEX "^sdl_smoke\\.")
# One at a time: each drives the program with real input and real time,
# which parallel runs would disturb.
set_tests_properties(${sdl_smoke_tests} PROPERTIES
  SKIP_RETURN_CODE 77 TIMEOUT 60 RESOURCE_LOCK x_server LABELS sdl)
