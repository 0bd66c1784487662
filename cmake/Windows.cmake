# The Windows build, cross-compiled with mingw-w64 (cmake/mingw-w64-x86_64.cmake)
# and run under Wine: every test and helper starts through scripts/windows-wine.sh,
# which finds the DLLs in the folders listed in windows-dll-dirs.txt.
enable_language(RC)
if(NOT CMAKE_CROSSCOMPILING)
    return()
endif()

set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/windows-wine.sh ${CMAKE_BINARY_DIR})

set(windows_dll_dirs "")
foreach(prefix ${VELUNAS_WINDOWS_PREFIXES})
    list(APPEND windows_dll_dirs ${prefix}/bin)
endforeach()
foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(runtime_dir ${runtime_path} DIRECTORY)
    list(APPEND windows_dll_dirs ${runtime_dir})
endforeach()
list(REMOVE_DUPLICATES windows_dll_dirs)
string(REPLACE ";" "\n" windows_dll_lines "${windows_dll_dirs}")
file(WRITE ${CMAKE_BINARY_DIR}/windows-dll-dirs.txt "${windows_dll_lines}\n")
