# The release history is written once, in CHANGELOG.md (Keep a Changelog);
# the AppStream releases are made from it here, debian/changelog by
# scripts/debian-changelog.sh.
#   vimra_read_changelog(FILE)  sets VIMRA_APPSTREAM_RELEASES (XML lines).
# The newest entry must be the project's version.
function(vimra_read_changelog File)
  file(STRINGS ${File} Lines)
  set(Releases "")
  foreach(Line IN LISTS Lines)
    if(Line MATCHES "^## \\[([0-9.]+)\\] - ([0-9]+-[0-9]+-[0-9]+)$")
      if(Releases STREQUAL "" AND NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "CHANGELOG.md's newest entry is ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}")
      endif()
      string(APPEND Releases "    <release version=\"${CMAKE_MATCH_1}\" date=\"${CMAKE_MATCH_2}\"/>\n")
    endif()
  endforeach()
  set(VIMRA_APPSTREAM_RELEASES "${Releases}" PARENT_SCOPE)
endfunction()
