# The release history is written once, in CHANGELOG.md (Keep a Changelog);
# the Debian changelog and the AppStream releases are made from it here.
#   vimra_read_changelog(FILE)  sets VIMRA_APPSTREAM_RELEASES (XML lines) and
#   writes ${PROJECT_BINARY_DIR}/packaging/changelog (Debian's format).
# The newest entry must be the project's version. Its Debian time stamp is
# SOURCE_DATE_EPOCH or the last commit's time (the day alone would give two
# releases of one day the same stamp); older entries have their day's start.
function(vimra_read_changelog File)
  file(STRINGS ${File} Lines)
  set(Releases "")
  set(Debian "")
  set(Entry "")
  set(Version "")
  foreach(Line IN LISTS Lines)
    if(Line MATCHES "^## \\[([0-9.]+)\\] - ([0-9]+-[0-9]+-[0-9]+)$")
      string(APPEND Debian "${Entry}")
      set(Version ${CMAKE_MATCH_1})
      set(Date ${CMAKE_MATCH_2})
      set(When "${Date} 00:00:00")
      if(Releases STREQUAL "")
        if(NOT Version STREQUAL PROJECT_VERSION)
          message(FATAL_ERROR "CHANGELOG.md's newest entry is ${Version}, the project is ${PROJECT_VERSION}")
        endif()
        set(Epoch "$ENV{SOURCE_DATE_EPOCH}")
        if(Epoch STREQUAL "")
          execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct OUTPUT_VARIABLE Epoch
                          OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        endif()
        if(NOT Epoch STREQUAL "")
          set(When "@${Epoch}")
        endif()
      endif()
      # Debian wants the day of the week too.
      execute_process(COMMAND date -u -R -d "${When}" OUTPUT_VARIABLE Stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                      COMMAND_ERROR_IS_FATAL ANY)
      string(APPEND Releases "    <release version=\"${Version}\" date=\"${Date}\"/>\n")
      string(APPEND Debian "vimra (${Version}) unstable; urgency=medium\n")
      set(Entry "\n -- ${CPACK_PACKAGE_CONTACT}  ${Stamp}\n\n")
    elseif(Version STREQUAL "")
      # The preamble before the first release.
    elseif(Line MATCHES "^### (.+)$")
      string(APPEND Debian "\n  * ${CMAKE_MATCH_1}:\n")
    elseif(Line MATCHES "^- (.+)$")
      string(APPEND Debian "    - ${CMAKE_MATCH_1}\n")
    elseif(Line MATCHES "^  (.+)$")
      string(APPEND Debian "      ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  string(APPEND Debian "${Entry}")
  string(STRIP "${Debian}" Debian)
  file(WRITE ${PROJECT_BINARY_DIR}/packaging/changelog "${Debian}\n")
  set(VIMRA_APPSTREAM_RELEASES "${Releases}" PARENT_SCOPE)
endfunction()
