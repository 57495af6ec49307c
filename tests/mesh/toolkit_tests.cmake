vimra_test(vimra_toolkit_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/scalar_math_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subdivide_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generators_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/superquadric_test.cpp
  LIBS vimra_mesh)
