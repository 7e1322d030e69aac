# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)
set(RIGVANE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/rigvane)

install(TARGETS rigvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET rigvane-sim)
  install(TARGETS rigvane-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(_pkg ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
install(FILES ${_pkg}/rigvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/rigvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME rigvane.xml)
install(FILES ${_pkg}/icons/rigvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${_pkg}/icons/rigvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME rigvane.png)
endforeach()

# Man pages carry the version.
foreach(page rigvane rigvane-sim)
  configure_file(${_pkg}/${page}.1 ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The help page is looked for in share/doc/rigvane beside the installed program.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/Rigvane.html ${CMAKE_CURRENT_SOURCE_DIR}/README.md
              ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${RIGVANE_DOCDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION ${RIGVANE_DOCDIR}
        RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rigvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Receiver and scanner control with its own scanning")
set(CPACK_PACKAGE_CONTACT "Rigvane developers <rigvane@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
# The shared libraries (Qt and the rest) are found by dpkg-shlibdeps; the
# seven-segment face is a data package the program asks for by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dseg")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Rigvane drives a communications receiver or scanner over a serial port\n and does the scanning itself: 1000 memory channels, scan and search\n banks, trunk IDs, priority channel, signal detection and a hit log.")
include(CPack)
