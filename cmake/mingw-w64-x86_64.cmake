# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model, so std::thread and
# std::mutex exist). Everything is linked statically: brenvale.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRENVALE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRENVALE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRENVALE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRENVALE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRENVALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
