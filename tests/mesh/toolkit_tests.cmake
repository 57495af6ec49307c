vimra_test(vimra_toolkit_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/scalar_math_test.cpp
  LIBS vimra_mesh)
