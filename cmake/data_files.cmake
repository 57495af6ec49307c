# The demo's data file names, read from the engine's own table
# (src/host/data_files.cpp) so that they are written once: VIMRA_DATA_FILES
# for CMake (packaging, tests), data-files.txt in the build folder (one name
# a line) for the build scripts and the tests' scripts, and
# VIMRA_DATA_FILES_JS (a JavaScript array) for the web page.
set(VIMRA_DATA_FILES_SOURCE ${PROJECT_SOURCE_DIR}/src/host/data_files.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VIMRA_DATA_FILES_SOURCE})
file(STRINGS ${VIMRA_DATA_FILES_SOURCE} VIMRA_DATA_FILES REGEX "^    \"[^\"]+\",$")
list(TRANSFORM VIMRA_DATA_FILES REPLACE "^    \"([^\"]+)\",$" "\\1")
list(LENGTH VIMRA_DATA_FILES VIMRA_DATA_FILE_COUNT)
if(NOT VIMRA_DATA_FILE_COUNT EQUAL 5)
  message(FATAL_ERROR "${VIMRA_DATA_FILES_SOURCE}: expected five data file names, read '${VIMRA_DATA_FILES}'")
endif()
list(JOIN VIMRA_DATA_FILES "\n" VIMRA_DATA_FILE_LINES)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/data-files.txt CONTENT "${VIMRA_DATA_FILE_LINES}\n" @ONLY)
list(JOIN VIMRA_DATA_FILES "', '" VIMRA_DATA_FILES_JS)
set(VIMRA_DATA_FILES_JS "['${VIMRA_DATA_FILES_JS}']")
