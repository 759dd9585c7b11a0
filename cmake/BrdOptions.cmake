# Compiler options shared by every target of the project (not by GoogleTest).
add_library(brd_options INTERFACE)
target_compile_options(brd_options INTERFACE -Wall -Wextra -Werror)

if(BRD_SANITIZE AND NOT WIN32)
  target_compile_options(brd_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(brd_options INTERFACE -fsanitize=address,undefined)
endif()

if(WIN32)
  # One self-contained .exe: no MinGW runtime DLLs to ship beside it.
  target_link_options(brd_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
