# One place for the compile settings every target shares.
add_library(velunas_common INTERFACE)
target_compile_features(velunas_common INTERFACE cxx_std_20)
target_compile_options(velunas_common INTERFACE -Wall -Wextra)
target_compile_definitions(velunas_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_DISABLE_DEPRECATED_UP_TO=0x060000
    $<$<PLATFORM_ID:Windows>:NOMINMAX WIN32_LEAN_AND_MEAN>)
target_include_directories(velunas_common INTERFACE ${PROJECT_BINARY_DIR}/generated)

# A room of the system: one static library of the sources in its folder
# (FLAT: not the folders below it, which are rooms of their own). Its headers
# are reached only by linking it: each room's are linked into a folder of the
# build tree of its own, so an include of a room not linked is not found.
function(velunas_room name)
    cmake_parse_arguments(ARG "FLAT" "" "LINKS" ${ARGN})
    set(patterns *.cpp *.h *.qrc)
    list(TRANSFORM patterns PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    if(ARG_FLAT)
        file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    else()
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${patterns})
    endif()
    # Files under unix/ or win/ belong to one platform only.
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "/unix/")
    else()
        list(FILTER sources EXCLUDE REGEX "/win/")
    endif()
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC velunas_common ${ARG_LINKS})

    set(headers ${PROJECT_BINARY_DIR}/rooms/${name})
    file(REMOVE_RECURSE ${headers})
    foreach(source ${sources})
        if(source MATCHES "\\.h$")
            file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${source})
            get_filename_component(folder ${headers}/${path} DIRECTORY)
            file(MAKE_DIRECTORY ${folder})
            file(CREATE_LINK ${source} ${headers}/${path} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${name} PUBLIC ${headers})
endfunction()
