# Installed like a program: the demo and the tools a viewer runs in bin/, the
# data in share/vimra/ (where the demo looks when its working directory has
# none), manual pages, a desktop entry with its AppStream metadata, an icon,
# the licence and the history; and a Debian package of it that lintian accepts.
include(GNUInstallDirs)
include(cmake/changelog.cmake)

set(VIMRA_APP_ID invalid.vimra.vimra)
set(CPACK_PACKAGE_CONTACT "The Vimra developers <dev@vimra.invalid>")
set(Staged ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS vimra vimra-frame RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(ManPages vimra.6 vimra-frame.1)
# The recorder, where this tree has it.
if(TARGET vimra-record)
  install(TARGETS vimra-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND ManPages vimra-record.1)
endif()
list(TRANSFORM VIMRA_DATA_FILES PREPEND data/ OUTPUT_VARIABLE VIMRA_DATA_FILE_PATHS)
install(FILES ${VIMRA_DATA_FILE_PATHS} DESTINATION ${CMAKE_INSTALL_DATADIR}/vimra)

# gzip -n: no name and no time stamp in the header, so the package is the
# same whenever it is built; -9 as Debian asks of manual pages.
function(vimra_gzip In Out)
  execute_process(COMMAND gzip -9 -n -c ${In} OUTPUT_FILE ${Out} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

foreach(Page IN LISTS ManPages)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" Section ${Page})
  configure_file(packaging/${Page} ${Staged}/${Page} @ONLY)
  vimra_gzip(${Staged}/${Page} ${Staged}/${Page}.gz)
  install(FILES ${Staged}/${Page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${Section})
endforeach()

vimra_read_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md)
vimra_gzip(${Staged}/changelog ${Staged}/changelog.gz)
configure_file(packaging/${VIMRA_APP_ID}.metainfo.xml.in ${Staged}/${VIMRA_APP_ID}.metainfo.xml @ONLY)

install(FILES packaging/${VIMRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${Staged}/${VIMRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/vimra.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES packaging/copyright README.md CHANGELOG.md ${Staged}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vimra)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vimra)
set(CPACK_PACKAGE_VENDOR "The Vimra developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D demo with its own music")
# What apt show prints below the synopsis; CPack indents each line by one
# space, and "." is an empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vimra plays an 85-second real-time 3D demo: spinning columns, a
counter-rotating ring with a rising flyer, and rows that swing like a
Newton's cradle, all made of shiny copies of three meshes that reflect an
environment map, to its own synthesised music.
.
It plays by itself in a 1280x720 window or full screen, drawn with
OpenGL 3.3. The package also holds vimra-frame, which renders single
frames of the demo to PNG files, and vimra-record, which records it to a
video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not a game: Debian files programs to watch, such as this demo, under misc.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The shared libraries the programs link (SDL2, SDL2_mixer, libepoxy,
# libmpg123, libasound2, libstdc++) come from dpkg-shlibdeps; the GL and EGL
# libraries are opened at run time, so they are named here; the recorder
# runs ffmpeg.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
if(TARGET vimra-record)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
