# Compiler options shared by every target of the project (not by GoogleTest).
add_library(brd_options INTERFACE)
target_compile_options(brd_options INTERFACE -Wall -Wextra -Werror)

if(BRD_SANITIZE AND NOT WIN32)
  target_compile_options(brd_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(brd_options INTERFACE -fsanitize=address,undefined)
endif()

if(BRD_FUZZ)
  # Every object is instrumented for coverage; only the fuzz targets link
  # libFuzzer's main.
  target_compile_options(brd_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(brd_options INTERFACE -fsanitize=fuzzer,address,undefined)
endif()

if(WIN32)
  # One self-contained .exe: no MinGW runtime DLLs to ship beside it. No link
  # time in the PE header, so the same sources give the same bytes.
  target_link_options(brd_options INTERFACE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endif()

if(WIN32)
  # GCC 12's std::binary_semaphore for MinGW waits through libstdc++'s own
  # atomic-wait pool, which can miss a release under Wine and sleep forever
  # (a thread blocked on a title-line lock never wakes). The POSIX semaphore
  # implementation sits on winpthreads' kernel semaphores and does not.
  # Every translation unit must agree, so it is set for the whole project.
  target_compile_definitions(brd_options INTERFACE _GLIBCXX_USE_POSIX_SEMAPHORE=1)
endif()
