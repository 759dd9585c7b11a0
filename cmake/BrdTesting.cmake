# GoogleTest for both trees: Debian's build natively, the packaged sources
# compiled with the cross compiler for Windows.
if(WIN32)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_link_options(gtest PUBLIC -static)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# Tests share one Wine prefix: whatever touches its registry, its drives or
# its window station takes this lock so that such tests run one at a time.
set(BRD_WINE_LOCK wineprefix)

# brd_core_test(name sources...): portable code, tested natively with the
# sanitizers and again under Wine from the Windows build.
function(brd_core_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE brd_core GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(WIN32)
    add_test(NAME win.${name} COMMAND ${name})
    set_tests_properties(win.${name} PROPERTIES LABELS windows)
  else()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." PROPERTIES LABELS host
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()

# brd_win_test(name sources...): Win32 code under Wine (registry, MCI, GDI,
# Winsock). Serialised on the shared prefix.
function(brd_win_test name)
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE brd_win GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME win.${name} COMMAND ${name})
  set_tests_properties(win.${name} PROPERTIES LABELS windows RESOURCE_LOCK ${BRD_WINE_LOCK})
endfunction()

# brd_e2e_test(name script): BRD.exe under Wine on the X display, driven by a
# Python script from tests/e2e with the harness in tests/e2e/brdtest.py.
function(brd_e2e_test name script)
  if(NOT WIN32)
    return()
  endif()
  add_test(NAME e2e.${name}
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/${script}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e RESOURCE_LOCK ${BRD_WINE_LOCK}
    TIMEOUT 400
    ENVIRONMENT "BRD_BUILD=${CMAKE_BINARY_DIR};BRD_SOURCE=${CMAKE_SOURCE_DIR}")
endfunction()
