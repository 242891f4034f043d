# Stand-in data until the real content generators exist: a short tone as
# the music, so the presentation runs and ends by itself.
set(SALUTE_DATA_DIR ${CMAKE_BINARY_DIR})
add_custom_command(
  OUTPUT ${SALUTE_DATA_DIR}/90secver.ogg
  COMMAND salute-tonegen ${SALUTE_DATA_DIR}/90secver.ogg 8
  DEPENDS salute-tonegen
  COMMENT "Generating the stand-in music"
  VERBATIM)
add_custom_target(salute_data ALL DEPENDS ${SALUTE_DATA_DIR}/90secver.ogg)
