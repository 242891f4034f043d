# The data the presentation reads, made beside the binaries by the project's
# own generators. Each command re-runs only when its generator changes.
set(SALUTE_DATA_DIR ${CMAKE_BINARY_DIR})

set(SALUTE_TEXTURES)
foreach(i RANGE 37)
  list(APPEND SALUTE_TEXTURES ${SALUTE_DATA_DIR}/textures/photo${i}.jpg)
endforeach()
foreach(k RANGE 1 4)
  list(APPEND SALUTE_TEXTURES ${SALUTE_DATA_DIR}/textures/secPhoto${k}.jpg)
endforeach()
foreach(leaf leaf leaf2 leaf3)
  list(APPEND SALUTE_TEXTURES ${SALUTE_DATA_DIR}/textures/${leaf}.jpg ${SALUTE_DATA_DIR}/textures/${leaf}_a.jpg)
endforeach()

add_custom_command(
  OUTPUT ${SALUTE_TEXTURES}
  COMMAND salute-texgen ${SALUTE_DATA_DIR}
  DEPENDS salute-texgen
  COMMENT "Painting the pictures"
  VERBATIM)

# Stand-in music until the music generator is finished.
add_custom_command(
  OUTPUT ${SALUTE_DATA_DIR}/90secver.ogg
  COMMAND salute-tonegen ${SALUTE_DATA_DIR}/90secver.ogg 8
  DEPENDS salute-tonegen
  COMMENT "Generating the stand-in music"
  VERBATIM)

add_custom_target(salute_data ALL DEPENDS ${SALUTE_DATA_DIR}/90secver.ogg ${SALUTE_TEXTURES})
