# Installed like a program: the demo and the tools a viewer runs in bin/, the
# data in share/vimra/ (where the demo looks when its working directory has
# none), a man page, a desktop entry and an icon; and a Debian package of it.
include(GNUInstallDirs)

install(TARGETS vimra vimra-frame RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The recorder, where this tree has it.
if(TARGET vimra-record)
  install(TARGETS vimra-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
list(TRANSFORM VIMRA_DATA_FILES PREPEND data/ OUTPUT_VARIABLE VIMRA_DATA_FILE_PATHS)
install(FILES ${VIMRA_DATA_FILE_PATHS} DESTINATION ${CMAKE_INSTALL_DATADIR}/vimra)

# Debian wants man pages compressed; CMake gzips it itself, so no tool is needed.
configure_file(packaging/vimra.6 ${PROJECT_BINARY_DIR}/packaging/vimra.6 @ONLY)
file(ARCHIVE_CREATE OUTPUT ${PROJECT_BINARY_DIR}/packaging/vimra.6.gz PATHS ${PROJECT_BINARY_DIR}/packaging/vimra.6
     FORMAT raw COMPRESSION GZip)
install(FILES ${PROJECT_BINARY_DIR}/packaging/vimra.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/vimra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/vimra.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vimra)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vimra)
set(CPACK_PACKAGE_VENDOR "Vimra")
set(CPACK_PACKAGE_CONTACT "Vimra developers <dev@vimra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D demo")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "self-running real-time 3D demo\n 85 seconds of spinning columns, a counter-rotating ring with a rising flyer and\n rows that swing like a Newton's cradle, made of shiny meshes that reflect an\n environment map, to its own music. Drawn with OpenGL 3.3.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (SDL2, SDL2_mixer, libepoxy,
# libmpg123, libasound2, libstdc++) come from dpkg-shlibdeps; the GL and EGL
# libraries are opened at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
include(CPack)
