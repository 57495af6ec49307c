target_sources(vimra_d3d9 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dds.cpp ${CMAKE_CURRENT_LIST_DIR}/d3dx9_cube_texture.cpp)
