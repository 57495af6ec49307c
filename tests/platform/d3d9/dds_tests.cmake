vimra_test(test_dds SOURCES dds_loader_test.cpp dds_decode_test.cpp LIBS vimra_d3d9)
