# Cross-compiling springview for 64-bit Windows with Debian's mingw-w64 (against the real Win32 API,
# opengl32 and glu32). Used by the Windows build check: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>.
# The POSIX thread model (winpthreads, linked statically) gives the standard library its threads,
# mutexes and condition variables, which the win32 model of this compiler version lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained executable: no libstdc++ or libgcc DLLs to carry along.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
