# The data the presentation reads, made beside the binaries by the project's
# own generators. Each command re-runs only when its generator changes.
set(SALUTE_DATA_DIR ${CMAKE_BINARY_DIR})

# The pictures are the file names in the program's asset manifest, read from
# the string literals of its source (a change there configures again);
# salute-texgen links the manifest and writes exactly those files.
set(SALUTE_MANIFEST ${CMAKE_SOURCE_DIR}/assets/Manifest.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SALUTE_MANIFEST})
file(STRINGS ${SALUTE_MANIFEST} manifest_lines REGEX "\"textures/[A-Za-z0-9_]+\\.jpg\"")
string(REGEX MATCHALL "textures/[A-Za-z0-9_]+\\.jpg" manifest_pictures "${manifest_lines}")
if(NOT manifest_pictures)
  message(FATAL_ERROR "no \"textures/NAME.jpg\" file names found in ${SALUTE_MANIFEST}")
endif()
set(SALUTE_TEXTURES)
foreach(picture IN LISTS manifest_pictures)
  list(APPEND SALUTE_TEXTURES ${SALUTE_DATA_DIR}/${picture})
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
