# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads,
# which std::thread and Qt need). VELUNAS_WINDOWS_PREFIXES lists the folders
# holding the Windows builds of Qt, libsodium and SQLite.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELUNAS_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VELUNAS_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries, never the machine's own.
set(windows_pkgconfig "")
foreach(prefix ${VELUNAS_WINDOWS_PREFIXES})
    list(APPEND windows_pkgconfig "${prefix}/lib/pkgconfig")
endforeach()
string(REPLACE ";" ":" windows_pkgconfig "${windows_pkgconfig}")
set(ENV{PKG_CONFIG_LIBDIR} "${windows_pkgconfig}")
set(ENV{PKG_CONFIG_PATH} "")
