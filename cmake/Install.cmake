# cmake --install: the program, its desktop entry, its AppStream metainfo, its icon in the hicolor
# theme sizes, and its place among xscreensaver's screensavers. cpack -G DEB packs the same tree into a Debian package.
include(GNUInstallDirs)
set(DESIGNER_APP_ID org.chenglan.patterndesigner)
install(TARGETS pattern-designer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/${DESIGNER_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/${DESIGNER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# For xscreensaver: the program where it looks for screensavers (a link), and the description of
# its settings that its preferences read.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xscreensaver)
file(CREATE_LINK ../../bin/pattern-designer ${CMAKE_BINARY_DIR}/xscreensaver/pattern-designer SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/xscreensaver/pattern-designer DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/xscreensaver/pattern-designer.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/app/resources/icons/pattern-designer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME pattern-designer.png)
endforeach()

set(CPACK_PACKAGE_NAME pattern-designer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "澄岚软件")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mathematical pattern designer with a Chinese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Draws an endless slide show of hypotrochoid curves as clouds of coloured dots, animates
concentric regular and star polygons, and lays two-colour angled gradients under either picture.
The interface is Chinese (澄岚数学图案自动设计器).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pattern Designer maintainers <pattern-designer@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary; the X11 platform plugin, Qt's Chinese translation of its
# dialogs and a CJK font are loaded at run time, so no library dependency brings them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_GENERATOR DEB)
include(CPack)
