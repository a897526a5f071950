# Install rules: `cmake --install build [--prefix P]` (GNUInstallDirs; a packager sets
# CMAKE_INSTALL_BINDIR=games and GE_INSTALL_CONTENT_DIR as the distribution wants).
#   bin/zavavedovari                                   the game
#   share/zavavedovari/                                its content, only read
#   share/applications/com.brenwick.zavavedovari.desktop
#   share/metainfo/com.brenwick.zavavedovari.metainfo.xml
#   share/icons/hicolor/NxN/apps/com.brenwick.zavavedovari.png
#   share/man/man6/zavavedovari.6
#   share/doc/zavavedovari/LICENSE, LICENSE.content
set(GE_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/app.desktop.in ${GE_PACKAGING_DIR}/${GE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/app.metainfo.xml.in
               ${GE_PACKAGING_DIR}/${GE_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zavavedovari.6.in ${GE_PACKAGING_DIR}/${GE_APP_NAME}.6 @ONLY)

install(TARGETS zavavedovari RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${GE_CONTENT_DIR}/ DESTINATION ${GE_INSTALL_CONTENT_DIR})
install(FILES ${GE_PACKAGING_DIR}/${GE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${GE_PACKAGING_DIR}/${GE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${GE_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${GE_PACKAGING_DIR}/${GE_APP_NAME}.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/LICENSE.content
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
