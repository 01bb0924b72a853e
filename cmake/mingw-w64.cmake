# Cross-builds the Windows programs with Debian's mingw-w64 (posix threads: GoogleTest needs
# std::mutex). Everything links statically, so the .exe files need no DLLs beside them.
# Tests run under Wine through tests/windows/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELMORA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELMORA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELMORA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PELMORA_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELMORA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also pulls in winpthread, which -static-libgcc -static-libstdc++ would leave as a DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# ctest runs each .exe through this wrapper (written at configure time by tests/windows).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
