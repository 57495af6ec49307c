# The GL device on the real GL implementation (Mesa's llvmpipe when headless).
vimra_test(test_d3d9_gl
  SOURCES gl_device_test.cpp gl_pipeline_test.cpp
  LIBS vimra_d3d9 vimra_core PkgConfig::EPOXY)
# Once more under SDL's "dummy" driver, whose windows have no GL.
add_test(NAME test_d3d9_gl_no_display COMMAND test_d3d9_gl --gtest_filter=GlCreate.NoGlDisplayGivesNoDirect3D)
set_tests_properties(test_d3d9_gl_no_display PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy")
# Once more with S3TC hidden from Mesa: DXT cube faces are then decoded on the CPU.
add_test(NAME test_d3d9_gl_dxt_decoded COMMAND test_d3d9_gl --gtest_filter=MirrorTest.CompressedFacesSampleLikeUncompressed)
set_tests_properties(test_d3d9_gl_dxt_decoded PROPERTIES ENVIRONMENT
  "SDL_VIDEODRIVER=offscreen;MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_compression_s3tc")
