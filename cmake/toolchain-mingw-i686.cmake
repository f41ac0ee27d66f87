# Cross-build for 32-bit Windows with Debian's mingw-w64, in its win32
# thread model: the program has one thread, and the posix model's threads
# library would add 30 KB and an import of GetTickCount64, which XP lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOOLCHAIN_PREFIX i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc-win32 REQUIRED)
# The static libraries hold link-time-optimisation objects; the archiver
# must index them through the compiler's plugin.
find_program(CMAKE_AR NAMES ${TOOLCHAIN_PREFIX}-gcc-ar-win32 REQUIRED)
find_program(CMAKE_RANLIB NAMES ${TOOLCHAIN_PREFIX}-gcc-ranlib-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOLCHAIN_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained exe: no libstdc++ or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# What users run carries no symbols: the runtime's debug sections and the
# symbol table would more than double the program's size.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
