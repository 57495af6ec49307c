vimra_test(test_mesh_store
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/mesh_store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/normals_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upload_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mesh_tables_test.cpp
  LIBS vimra_mesh)
