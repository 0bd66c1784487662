# One place for the compile settings every target shares.
add_library(velunas_common INTERFACE)
target_compile_features(velunas_common INTERFACE cxx_std_20)
target_compile_options(velunas_common INTERFACE -Wall -Wextra)
target_compile_definitions(velunas_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_DISABLE_DEPRECATED_UP_TO=0x060000
    $<$<PLATFORM_ID:Windows>:NOMINMAX WIN32_LEAN_AND_MEAN>)
target_include_directories(velunas_common INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)

# A folder of the system becomes one static library of every source file in it,
# so that tests link exactly the code the program runs.
function(velunas_folder_library name)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    # Files under unix/ or win/ belong to one platform only.
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "/unix/")
    else()
        list(FILTER sources EXCLUDE REGEX "/win/")
    endif()
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC velunas_common ${ARG_LINKS})
endfunction()
