target_sources(vimra_d3d9 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dds.cpp)
