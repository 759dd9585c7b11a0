# The program's version is the project version, named once in CMakeLists.txt.
# brd_version.h gives it to the code and to brd.rc; brd_version_resource gives
# a Windows program its version resource; the release's name has it too.
string(REPLACE "." ";" numbers "${PROJECT_VERSION}.0.0.0")
list(SUBLIST numbers 0 4 numbers)
list(JOIN numbers "," BRD_VERSION_NUMBERS)
set(BRD_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/brd_version.h.in ${BRD_GENERATED}/brd_version.h @ONLY)

# brd_version_resource(target description): the target's VERSIONINFO, with
# the target's name as its file name.
function(brd_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(BRD_FILE_STEM ${target})
  set(BRD_FILE_DESCRIPTION ${description})
  set(rc ${BRD_GENERATED}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${BRD_GENERATED}/brd_version.h)
endfunction()
