# The browser build, configured by scripts/build-web.sh with emcmake: the
# program on the page's backend (platform/web) and the OpenGL ES layer
# (platform/gles), compiled to salute.js and salute.wasm for the page in
# platform/web/site/. libjpeg is the script's own cross-build of Debian's
# libjpeg-turbo, passed in as JPEG_INCLUDE_DIR and JPEG_LIBRARY.
find_package(JPEG REQUIRED)

# The program's OpenGL 1.x and GLU, drawn with WebGL 2.
file(GLOB gles_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/gles/*.cpp)
add_library(platform_gles STATIC ${gles_sources})
target_include_directories(platform_gles PRIVATE ${CMAKE_SOURCE_DIR})
add_library(salute_gl INTERFACE)
target_link_libraries(salute_gl INTERFACE platform_gles)

add_library(salute_build_flags INTERFACE)
target_compile_options(salute_build_flags INTERFACE -Wall -Wextra)
include(cmake/Program.cmake)

add_executable(salute
  platform/web/Main.cpp
  platform/web/Win32Web.cpp
  platform/web/AudioWeb.cpp
  platform/web/FontWeb.cpp
  platform/common/Win32Common.cpp
  platform/common/Glyphs.cpp
  platform/common/BakedGlyphs.cpp
  platform/common/DataFile.cpp
  platform/common/Music.cpp
  platform/common/Clock.cpp
  platform/common/OneWindow.cpp
  platform/common/OneStream.cpp
  platform/common/TestHooks.cpp
)
target_include_directories(salute PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(salute PRIVATE salute_program salute_build_flags)
set_target_properties(salute PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# One module the page instantiates while the data loads and starts on
# Play (main through ccall, then exit with its status). Asyncify lets Sleep and SwapBuffers hand control back to
# the browser; no indirect call leads to either, so only the direct paths
# are instrumented. The runtime exits when WinMain returns, so that the
# timing log is closed (written out) as at any process end.
target_link_options(salute PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createSalute -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sENVIRONMENT=web
  -sASYNCIFY=1 -sASYNCIFY_IGNORE_INDIRECT=1 -sASYNCIFY_STACK_SIZE=65536
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
  -sEXPORTED_FUNCTIONS=_main,_exit -sEXPORTED_RUNTIME_METHODS=FS,ccall
  -sFORCE_FILESYSTEM=1)
