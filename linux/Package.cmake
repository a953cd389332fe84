# What a user installs on Linux, and the Debian package made from it (`make deb`):
# the render tool, the XScreenSaver hack with its settings description and manual page.
include(GNUInstallDirs)

install(TARGETS ostinel-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# XScreenSaver finds hacks in libexec/xscreensaver and their descriptions in its config folder.
install(TARGETS ostinel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${PROJECT_BINARY_DIR}/ostinel.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${PROJECT_SOURCE_DIR}/linux/ostinel.6x DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostinel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ostinel developers <ostinel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "generative drum-machine screen saver for XScreenSaver")
set(CPACK_PACKAGE_DESCRIPTION
    "A table of 25 x 8 coloured boxes spins on screen while a step clock plays the pattern they\n\
encode with 25 drum samples; dice mutate the pattern at the end of every bar.\n\
Includes the XScreenSaver hack and ostinel-render, which renders clips offscreen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xscreensaver-gl, ffmpeg")
set(CPACK_STRIP_FILES ON)
include(CPack)
