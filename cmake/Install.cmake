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
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- Debian package ---------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME salute)
set(CPACK_PACKAGE_VENDOR "Salute")
set(CPACK_PACKAGE_CONTACT "Salute maintainers <salute@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "short real-time tribute presentation with music")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A hundred seconds of music, drifting autumn leaves and photographs flying\n through a grey 3D scene, with four pages of text. The salute command shows\n it full screen (Escape ends it); salute-capture renders it to a video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_STRIP_FILES ON)
# Libraries linked in are found by dpkg-shlibdeps; these are loaded at run
# time instead: Mesa's software renderer and its EGL, and a font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
include(CPack)
