# What a user installs on Linux, and the Debian package made from it (`make deb`):
# the render tool, the XScreenSaver hack with its settings description and manual pages.
include(GNUInstallDirs)

# Who answers for the package: its Maintainer field and its changelog's signature.
set(OSTINEL_PACKAGE_MAINTAINER "Ostinel developers <ostinel@example.org>" CACHE STRING
    "Maintainer of the .deb, as \"Name <address>\"")
if(NOT OSTINEL_PACKAGE_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+\\.[^<>@ .]+>$")
  message(FATAL_ERROR "OSTINEL_PACKAGE_MAINTAINER must read \"Name <user@host.domain>\", "
                      "not \"${OSTINEL_PACKAGE_MAINTAINER}\"")
endif()

# One date for the changelog's entry and the render tool's manual page, so that one commit always
# gives the same package: SOURCE_DATE_EPOCH when the build sets it, else the commit's time.
set(release_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT release_epoch)
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT release_epoch)
  string(TIMESTAMP release_epoch "%s" UTC)  # not from a git checkout
endif()
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${release_epoch})  # the time string(TIMESTAMP) formats
string(TIMESTAMP release_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

# The pages and the changelog, each compressed with gzip -9n: no name or time in the header.
set(package_docs ${PROJECT_BINARY_DIR}/package)
find_program(GZIP_PROGRAM gzip REQUIRED)
find_program(HELP2MAN_PROGRAM help2man REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/linux/ostinel.6x ${PROJECT_BINARY_DIR}/generated/ostinel.6x @ONLY)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/changelog @ONLY CONTENT
"ostinel (@PROJECT_VERSION@) unstable; urgency=medium

  * Ostinel @PROJECT_VERSION@: the XScreenSaver hack ostinel and ostinel-render.

 -- @OSTINEL_PACKAGE_MAINTAINER@  @release_date@
")
foreach(doc ostinel.6x changelog)
  add_custom_command(OUTPUT ${package_docs}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/generated/${doc} ${package_docs}/${doc}
    COMMAND ${GZIP_PROGRAM} -9nf ${package_docs}/${doc}
    DEPENDS ${PROJECT_BINARY_DIR}/generated/${doc} VERBATIM)
endforeach()
# The render tool's page is its --help and --version, so that the two never disagree.
add_custom_command(OUTPUT ${package_docs}/ostinel-render.1.gz
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${release_epoch} ${HELP2MAN_PROGRAM}
          --no-info --section=1 --name "render the screen saver's frames and sound offscreen"
          --output=${package_docs}/ostinel-render.1 $<TARGET_FILE:ostinel-render>
  COMMAND ${GZIP_PROGRAM} -9nf ${package_docs}/ostinel-render.1
  DEPENDS ostinel-render VERBATIM)
add_custom_target(ostinel_package_docs ALL DEPENDS ${package_docs}/ostinel.6x.gz
                  ${package_docs}/ostinel-render.1.gz ${package_docs}/changelog.gz)

install(TARGETS ostinel-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# XScreenSaver finds hacks in libexec/xscreensaver and their descriptions in its config folder.
install(TARGETS ostinel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${PROJECT_BINARY_DIR}/ostinel.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${package_docs}/ostinel.6x.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${package_docs}/ostinel-render.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A native package: its changelog is changelog.gz, beside the copyright.
install(FILES ${package_docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostinel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${OSTINEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "generative drum-machine screen saver for XScreenSaver")
# Lines of at most 80 characters, as Debian's control files want them.
set(CPACK_PACKAGE_DESCRIPTION
    "A table of 25 x 8 coloured boxes spins on screen while a step clock plays\n\
the pattern they encode with 25 drum samples; dice mutate the pattern at the\n\
end of every bar. Includes the XScreenSaver hack and ostinel-render, which\n\
renders clips offscreen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xscreensaver-gl, ffmpeg")
set(CPACK_STRIP_FILES ON)
include(CPack)

if(OSTINEL_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/linux/package
                   ${PROJECT_BINARY_DIR}/tests/linux/package)
endif()
