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

add_custom_command(
  OUTPUT ${SALUTE_DATA_DIR}/90secver.ogg
  COMMAND salute-musicgen ${SALUTE_DATA_DIR}/90secver.ogg
  DEPENDS salute-musicgen
  COMMENT "Rendering the music"
  VERBATIM)

add_custom_target(salute_data ALL DEPENDS ${SALUTE_DATA_DIR}/90secver.ogg ${SALUTE_TEXTURES})

# Writes the SHA-256 of every generated file into tools/data-hashes.txt, which
# the content tests compare against. Run after changing a generator on purpose.
add_custom_target(record-data-hashes
  COMMAND ${CMAKE_COMMAND} -DDATA_DIR=${SALUTE_DATA_DIR}
          -DOUTPUT=${CMAKE_CURRENT_SOURCE_DIR}/data-hashes.txt
          -P ${CMAKE_CURRENT_SOURCE_DIR}/RecordDataHashes.cmake
  DEPENDS salute_data
  COMMENT "Recording the hashes of the generated data"
  VERBATIM)

# A picture of all the pictures, for the README: docs/contact-sheet.png.
add_custom_target(contact-sheet
  COMMAND salute-contactsheet ${SALUTE_DATA_DIR} ${CMAKE_SOURCE_DIR}/docs/contact-sheet.png --tile 104
  DEPENDS salute_data salute-contactsheet
  COMMENT "Making the contact sheet of the pictures"
  VERBATIM)
