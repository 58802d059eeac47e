# Cross-compiles the Windows build with MinGW-w64 (x86_64, posix thread model so that
# std::thread and std::mutex are available). The runtime is linked in statically: the
# executables need nothing but the system's own libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILL_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUILL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine here.
find_program(QUILL_WINE wine)
if(QUILL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILL_WINE})
endif()
