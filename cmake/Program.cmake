# The program as libraries whose dependencies run one way, bottom to top:
#
#   salute_app        app/     the shell: entry, window, frame cycle, and the
#                              static objects of every subsystem
#   salute_load       assets/  the asset manifest and the one-time load
#   salute_scene      scene/   the 3D pass, leaves and photo cards
#   salute_text       text/    the font and the text pages
#   salute_log        log/     the timing log
#   salute_pictures   assets/  JPEG decoding, alpha merge, textures
#   salute_frame      frame/   the frame's shared state and the stopwatch
#   salute_contract   platform/win32.h, audio.h, files.h
#
# Each library links only what it may use, and its include path holds only
# its own headers and those of what it links: each library's headers are
# linked into a folder of their own in the build tree. An include of a
# header from above (or from a backend) is not found, and the build stops.
#
# The libraries are object libraries. salute_program gathers all their
# objects into one archive, which the programs, tools and tests link.
#
# Before this file: salute_gl (OpenGL 1.x and GLU for this build),
# salute_build_flags (warnings, sanitizers) and JPEG::JPEG.

# Links target's own headers (paths relative to the current source folder)
# into BUILD/include/<target>/<path> and puts that folder on its include path.
function(salute_stage_headers target scope)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${stage})
  foreach(header IN LISTS ARGN)
    file(RELATIVE_PATH path ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    get_filename_component(folder ${stage}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${stage}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${stage})
endfunction()

# What every part of the program is compiled with, and passes on to
# everything built with its headers.
add_library(salute_program_options INTERFACE)
# The scene reproduces exact 32-bit float results: IEEE semantics, no fused
# multiply-add.
target_compile_options(salute_program_options INTERFACE -fno-fast-math -ffp-contract=off)
if(SALUTE_WINDOWED)
  target_compile_definitions(salute_program_options INTERFACE SALUTE_WINDOWED=1)
endif()

# salute_library(<name> HEADERS <header>... SOURCES <source>... USES <library>...)
# One level of the program, from files of the current folder.
function(salute_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "HEADERS;SOURCES;USES")
  add_library(${name} OBJECT ${arg_SOURCES})
  salute_stage_headers(${name} PUBLIC ${arg_HEADERS})
  target_link_libraries(${name} PUBLIC salute_program_options ${arg_USES} PRIVATE salute_build_flags)
  set_property(GLOBAL APPEND PROPERTY SALUTE_PROGRAM_LIBRARIES ${name})
endfunction()

# The bottom: the platform as the program calls it, whichever backend
# supplies it.
add_library(salute_contract INTERFACE)
salute_stage_headers(salute_contract INTERFACE platform/win32.h platform/audio.h platform/files.h)

foreach(folder frame assets scene text log app)
  add_subdirectory(${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder})
endforeach()

# Every object of the program in one archive. salute_app comes in by the
# link, which also passes on the include paths and options of every level.
get_property(program_libraries GLOBAL PROPERTY SALUTE_PROGRAM_LIBRARIES)
list(REMOVE_ITEM program_libraries salute_app)
add_library(salute_program STATIC)
foreach(library IN LISTS program_libraries)
  target_sources(salute_program PRIVATE $<TARGET_OBJECTS:${library}>)
endforeach()
target_link_libraries(salute_program PUBLIC salute_app)
