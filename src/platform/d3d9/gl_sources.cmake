target_sources(vimra_d3d9 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gl_direct3d.cpp)
