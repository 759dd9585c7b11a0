# The release for Windows users (make dist): BRD-<version>-win64.zip and its
# SHA256SUMS in build/dist. It is made again with every build, so the release
# test always unpacks the programs it was built with.
set(BRD_DIST_DIR ${CMAKE_SOURCE_DIR}/build/dist CACHE PATH "Where the release zip is written")
set(BRD_DIST_ZIP ${BRD_DIST_DIR}/BRD-${PROJECT_VERSION}-win64.zip)
add_custom_target(dist ALL
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/scripts/make-dist ${BRD_DIST_ZIP} ${CMAKE_STRIP}
          $<TARGET_FILE:BRD> $<TARGET_FILE:brd-db> ${CMAKE_SOURCE_DIR}/docs/README.txt ${CMAKE_SOURCE_DIR}/LICENSE
  COMMENT "The release zip"
  VERBATIM)
add_dependencies(dist BRD brd-db)
