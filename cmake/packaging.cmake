# Installed like a program: the demo and the tools a viewer runs in bin/, the
# data in share/vimra/ (where the demo looks when its working directory has
# none), manual pages, a desktop entry with its AppStream metadata, an icon,
# the licence and the history. The Debian package is built from this by
# debian/ (scripts/build-deb.sh), which keeps the copyright and changelog.
include(GNUInstallDirs)
include(cmake/changelog.cmake)

set(VIMRA_APP_ID invalid.vimra.vimra)
set(Staged ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS vimra vimra-frame RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(ManPages vimra.6 vimra-frame.1)
# The recorder, where this tree has it.
if(TARGET vimra-record)
  install(TARGETS vimra-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND ManPages vimra-record.1)
endif()
list(TRANSFORM VIMRA_DATA_FILES PREPEND ${VIMRA_DATA_DIR}/ OUTPUT_VARIABLE VIMRA_DATA_FILE_PATHS)
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
vimra_gzip(${PROJECT_SOURCE_DIR}/debian/changelog ${Staged}/changelog.gz)
configure_file(packaging/${VIMRA_APP_ID}.metainfo.xml.in ${Staged}/${VIMRA_APP_ID}.metainfo.xml @ONLY)

install(FILES packaging/${VIMRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${Staged}/${VIMRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/vimra.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES debian/copyright README.md CHANGELOG.md ${Staged}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vimra)
