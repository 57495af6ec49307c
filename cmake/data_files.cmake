# The demo's data file names, written once, one a line in DataFileIndex's
# order, in src/host/data_files.txt. From it the build makes the host's table
# (data_files.cpp in the build folder), VIMRA_DATA_FILES for CMake
# (packaging, tests), data-files.txt in the build folder for the build
# scripts and the tests' scripts, and VIMRA_DATA_FILES_JS (a JavaScript
# array) for the web page.
set(VIMRA_DATA_FILES_LIST ${PROJECT_SOURCE_DIR}/src/host/data_files.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VIMRA_DATA_FILES_LIST})
file(STRINGS ${VIMRA_DATA_FILES_LIST} VIMRA_DATA_FILES)
foreach(Name ${VIMRA_DATA_FILES})
  if(NOT Name MATCHES "^[A-Za-z0-9_.-]+$")
    message(FATAL_ERROR "${VIMRA_DATA_FILES_LIST}: '${Name}' is not a plain file name")
  endif()
endforeach()
list(JOIN VIMRA_DATA_FILES "\n" VIMRA_DATA_FILE_LINES)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/data-files.txt CONTENT "${VIMRA_DATA_FILE_LINES}\n" @ONLY)
list(JOIN VIMRA_DATA_FILES "\", \"" VIMRA_DATA_FILES_CPP)
set(VIMRA_DATA_FILES_CPP "\"${VIMRA_DATA_FILES_CPP}\"")
configure_file(${CMAKE_CURRENT_LIST_DIR}/data_files.cpp.in ${PROJECT_BINARY_DIR}/generated/data_files.cpp @ONLY)
list(JOIN VIMRA_DATA_FILES "', '" VIMRA_DATA_FILES_JS)
set(VIMRA_DATA_FILES_JS "['${VIMRA_DATA_FILES_JS}']")
