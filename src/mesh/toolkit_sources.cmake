# The mesh toolkit: scalar math, Loop subdivision, generators, packed-byte
# meshes and the superquadric functions.
target_sources(vimra_mesh PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/scalar_math.cpp
  ${CMAKE_CURRENT_LIST_DIR}/subdivide.cpp
  ${CMAKE_CURRENT_LIST_DIR}/generators.cpp
  ${CMAKE_CURRENT_LIST_DIR}/packed_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/superquadric.cpp)
