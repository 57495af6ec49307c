# Where the build reads the data files: data/ in a checkout, where they are
# committed; or, where the tree has none (the source package holds the
# tools, not their output), the build's data/, written by the tools as
# tools/regenerate-data.sh does. VIMRA_GENERATE_DATA=ON generates them even
# where data/ has them, so a package holds what its own build made.
set(VIMRA_DATA_DEFAULT OFF)
foreach(Name ${VIMRA_DATA_FILES})
  if(NOT EXISTS ${PROJECT_SOURCE_DIR}/data/${Name})
    set(VIMRA_DATA_DEFAULT ON)
  endif()
endforeach()
option(VIMRA_GENERATE_DATA "Generate the data files in the build instead of reading data/" ${VIMRA_DATA_DEFAULT})
if(NOT VIMRA_GENERATE_DATA)
  set(VIMRA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
  return()
endif()

set(VIMRA_DATA_DIR ${PROJECT_BINARY_DIR}/data)
file(MAKE_DIRECTORY ${VIMRA_DATA_DIR})
# What each generator writes; together, the files of src/host/data_files.txt.
set(Meshes ${VIMRA_DATA_DIR}/cubedef.obj ${VIMRA_DATA_DIR}/cyldef.obj ${VIMRA_DATA_DIR}/isodef.obj)
add_custom_command(OUTPUT ${Meshes} COMMAND vimra-meshgen ${VIMRA_DATA_DIR} DEPENDS vimra-meshgen
                   COMMENT "Generating the meshes")
add_custom_command(OUTPUT ${VIMRA_DATA_DIR}/cube.dds COMMAND vimra-cubegen ${VIMRA_DATA_DIR}/cube.dds
                   DEPENDS vimra-cubegen COMMENT "Generating the cube map")
add_custom_command(OUTPUT ${VIMRA_DATA_DIR}/demodemo.mp3 ${VIMRA_DATA_DIR}/demodemo.wav.sha256
                   COMMAND ${CMAKE_COMMAND} -E env VIMRA_MUSICGEN=$<TARGET_FILE:vimra-musicgen>
                           ${PROJECT_SOURCE_DIR}/tools/musicgen/make-music.sh ${PROJECT_BINARY_DIR}
                           ${VIMRA_DATA_DIR}/demodemo.mp3
                   DEPENDS vimra-musicgen ${PROJECT_SOURCE_DIR}/tools/musicgen/make-music.sh
                   COMMENT "Rendering and encoding the music")
add_custom_target(vimra-data ALL DEPENDS ${Meshes} ${VIMRA_DATA_DIR}/cube.dds ${VIMRA_DATA_DIR}/demodemo.mp3)
