# Installation and the Debian package: the program, the capture tool, the
# data they run on, a launcher that runs the presentation from a per-user
# folder, and a desktop entry with its icon.
#
#   cmake --install build --prefix PREFIX
#   (cd build && cpack)            -> build/salute_<version>_<arch>.deb
include(GNUInstallDirs)

# The program itself is not on PATH: it must run inside a folder holding
# its data, which the launcher (installed as "salute") arranges.
install(TARGETS salute RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/salute)
install(TARGETS salute-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(RELATIVE_PATH SALUTE_DATA_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/salute)
file(RELATIVE_PATH SALUTE_PROGRAM_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBEXECDIR}/salute/salute)
configure_file(${CMAKE_SOURCE_DIR}/packaging/salute.sh.in ${CMAKE_BINARY_DIR}/packaging/salute @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/salute DESTINATION ${CMAKE_INSTALL_BINDIR})

# The generated data, as the build made it beside the binaries.
install(FILES ${CMAKE_BINARY_DIR}/90secver.ogg DESTINATION ${CMAKE_INSTALL_DATADIR}/salute)
install(DIRECTORY ${CMAKE_BINARY_DIR}/textures/ DESTINATION ${CMAKE_INSTALL_DATADIR}/salute/textures
        FILES_MATCHING PATTERN "*.jpg")

install(FILES ${CMAKE_SOURCE_DIR}/packaging/salute.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/salute.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/salute.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME org.example.salute.metainfo.xml)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages and the changelog, compressed as Debian keeps them (-n: no
# name or time stamp inside, so the package is the same every build).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(SALUTE_COMPRESSED)
foreach(source salute.6 salute-capture.1 changelog)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${source}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/${source} ${CMAKE_BINARY_DIR}/packaging/${source}
    COMMAND ${GZIP_PROGRAM} -9nf ${CMAKE_BINARY_DIR}/packaging/${source}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${source}
    VERBATIM)
  list(APPEND SALUTE_COMPRESSED ${compressed})
endforeach()
add_custom_target(salute_manuals ALL DEPENDS ${SALUTE_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/salute.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/packaging/salute-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog's newest entry is this version.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^salute \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}")
endif()

# ---- Debian package ---------------------------------------------------------
# lintian reports no errors and no warnings on it. Its remaining notes (I:)
# are left on purpose: hardening-no-bindnow and hardening-no-fortify-functions
# because the build's compile and link flags are the project's own choice,
# not set for packaging alone; binary-has-unneeded-section (.comment) because
# CPack's strip removes the symbols and leaves the compiler's few bytes of
# version notes, which do no harm.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME salute)
set(CPACK_PACKAGE_VENDOR "Salute")
set(CPACK_PACKAGE_CONTACT "Salute maintainers <salute@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "short real-time tribute presentation with music")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A hundred seconds of music, drifting autumn leaves and photographs flying\n through a grey 3D scene, with four pages of text. The salute command shows\n it full screen (Escape ends it); salute-capture renders it to a video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A real-time graphics presentation, not a game (section games would expect
# /usr/games); its manual page stays in section 6 with the demos.
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
# Libraries linked in are found by dpkg-shlibdeps; these are loaded at run
# time instead: Mesa's software renderer and its EGL, and a font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
include(CPack)
