target_sources(vimra_d3d9 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/gl_direct3d.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gl_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gl_ffp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gl_png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gl_resources.cpp)
