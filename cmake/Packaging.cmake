# What `cmake --install` puts on a desk computer, and the Debian package of it
# (`cmake --build <dir> --target package`).
include(GNUInstallDirs)

# The tools go beside the desk under names that say whose they are.
foreach(tool encipher_password import_members report)
    string(REPLACE "_" "-" installed "velunas-${tool}")
    add_executable(${installed} ${PROJECT_SOURCE_DIR}/tools/${tool}.cpp)
    get_property(links GLOBAL PROPERTY velunas_tool_links_${tool})
    target_link_libraries(${installed} PRIVATE ${links})
    install(TARGETS ${installed} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(TARGETS velunas RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_dir ${PROJECT_BINARY_DIR}/icons)
set(icon_files "")
foreach(size ${icon_sizes})
    list(APPEND icon_files ${icon_dir}/${size}x${size}/apps/velunas.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon> ${icon_dir} ${icon_sizes}
    DEPENDS render_icon
    COMMENT "Rendering the program's icon")
add_custom_target(velunas_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velunas.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(CPACK_PACKAGE_CONTACT "Velunas developers <velunas@example.org>")
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velunas)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9 -n -f -k ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
set(manual_pages "")
foreach(page velunas velunas-import-members velunas-encipher-password velunas-report)
    set(manual_page ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz)
    add_custom_command(OUTPUT ${manual_page}
        COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/man/${page}.1 > ${manual_page}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/${page}.1)
    list(APPEND manual_pages ${manual_page})
endforeach()
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
add_custom_target(velunas_documents ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${manual_pages})
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/schema/README.md ${PROJECT_SOURCE_DIR}/schema/sqlite-members.sql
              ${PROJECT_SOURCE_DIR}/schema/sqlite-delivery.sql ${PROJECT_SOURCE_DIR}/schema/sqlserver.sql
              ${PROJECT_SOURCE_DIR}/schema/postgresql.sql
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velunas/schema)
# The settings file lives in /etc whatever the prefix: the desk reads it there.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/registry.reg DESTINATION /etc/velunas)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velunas)
set(CPACK_PACKAGE_VENDOR "Velunas")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front desk that hands out event invitations to members")
set(CPACK_PACKAGE_DESCRIPTION "The operator types a company number, a member number or part of a name;
the desk searches the member registers of two associations and gives the
member the next number of one shared invitation sequence, or refuses with
the earlier delivery. The registers and the deliveries live in embedded
files shared by the desk's operators, or on a SQL Server or PostgreSQL
server named in /etc/velunas/registry.reg.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "passwd, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc, odbc-postgresql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm
    ${PROJECT_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
