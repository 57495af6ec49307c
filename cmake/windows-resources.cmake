# Windows resources for a program: the icon, the version information and the
# application manifest (packaging/windows/), compiled by the toolchain's
# windres, so every mingw-w64 build (32-bit and 64-bit) carries them.
#   vimra_windows_resources(TARGET "DESCRIPTION")
enable_language(RC)

function(vimra_windows_resources Target Description)
  set(VIMRA_RC_NAME ${Target})
  set(VIMRA_RC_FILE ${Target}.exe)
  set(VIMRA_RC_DESCRIPTION "${Description}")
  set(VIMRA_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/vimra.ico)
  set(VIMRA_RC_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/vimra.manifest)
  set(Rc ${PROJECT_BINARY_DIR}/resources/${Target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/vimra.rc.in ${Rc} @ONLY)
  target_sources(${Target} PRIVATE ${Rc})
  # windres does not see the files the script names.
  set_source_files_properties(${Rc} PROPERTIES OBJECT_DEPENDS "${VIMRA_RC_ICON};${VIMRA_RC_MANIFEST}")
endfunction()
