# The system DLLs the player first needs after its window is painted (MCI,
# sockets, the tray icon, the common controls) are linked for loading on
# first call: Wine then does not load them, and what they load in turn,
# before the first frame. BRD_DELAYED_<dll> names each library,
# BRD_DELAYED_DLLS all of them.
set(BRD_DELAYED_DLLS "")
if(WIN32)
  foreach(dll winmm ws2_32 shell32 comctl32)
    set(lib ${CMAKE_BINARY_DIR}/delay-imports/lib${dll}_delay.a)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/delay-import-lib ${dll} ${lib} COMMAND_ERROR_IS_FATAL ANY)
    set(BRD_DELAYED_${dll} ${lib})
    list(APPEND BRD_DELAYED_DLLS ${lib})
  endforeach()
endif()
