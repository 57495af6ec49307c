target_sources(vimra_mesh PRIVATE ${CMAKE_CURRENT_LIST_DIR}/placeholder_store.cpp)
