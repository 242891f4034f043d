# The Windows program: the same sources as on Linux, compiled against the
# system's own Win32, WGL and GDI, with platform/windows for what the system
# lacks. Cross-built by scripts/build-windows.sh, which passes the folder of
# the libraries it built for Windows (libjpeg-turbo, libogg, libvorbis) as
# CMAKE_PREFIX_PATH.
find_package(OpenGL REQUIRED)  # opengl32 and glu32
find_package(JPEG REQUIRED)
find_path(VORBISFILE_INCLUDE_DIR vorbis/vorbisfile.h REQUIRED)
find_library(VORBISFILE_LIBRARY vorbisfile REQUIRED)
find_library(VORBIS_LIBRARY vorbis REQUIRED)
find_library(OGG_LIBRARY ogg REQUIRED)

add_library(salute_gl INTERFACE)
target_link_libraries(salute_gl INTERFACE OpenGL::GL OpenGL::GLU)
include(cmake/Program.cmake)

# A program of the Windows subsystem: started from Explorer it opens no
# console; its messages find the person as platform/windows/Main.cpp says.
add_executable(salute WIN32
  platform/windows/Main.cpp
  platform/windows/Audio.cpp
  platform/windows/DataFile.cpp
  platform/windows/Display.cpp
  platform/common/ScaledPicture.cpp
  platform/common/TestHooks.cpp
  platform/common/Music.cpp)
target_include_directories(salute PRIVATE ${CMAKE_SOURCE_DIR} ${VORBISFILE_INCLUDE_DIR})
# Only system libraries at run time: the C++ runtime and the rest linked in.
target_link_options(salute PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(salute PRIVATE salute_program salute_build_flags ${VORBISFILE_LIBRARY} ${VORBIS_LIBRARY}
  ${OGG_LIBRARY} winmm gdi32 user32)
set_target_properties(salute PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
