# The mesh store, normals, upload and table-built meshes.
target_sources(vimra_mesh PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mesh_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/normals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh_tables.cpp)
