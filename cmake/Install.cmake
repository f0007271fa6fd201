# cmake --install: the program, its desktop entry and its icon in the hicolor theme sizes.
include(GNUInstallDirs)
install(TARGETS pattern-designer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/pattern-designer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/app/resources/icons/pattern-designer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME pattern-designer.png)
endforeach()
