target_sources(vimra_mesh PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/scalar_math.cpp)
