# The Debian package. scripts/package configures a tree with the prefix /usr and runs cpack in it;
# the files below install with any prefix, the autostart entry always into <sysconfdir>/xdg.
include(GNUInstallDirs)

set(KORVEL_PACKAGE_MAINTAINER "Korvel Printer maintainers <maintainers@korvel-printer.example>"
    CACHE STRING "Maintainer line of the Debian package")

set(package_docs ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${package_docs}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/korvel-printer.1 ${package_docs}/korvel-printer.1
    @ONLY)
# Debian wants them compressed, with no name or time stamp in the header (-n).
execute_process(COMMAND gzip -9nkf ${package_docs}/changelog ${package_docs}/korvel-printer.1
    COMMAND_ERROR_IS_FATAL ANY)

install(FILES ${PROJECT_SOURCE_DIR}/Resources/korvel-printer.desktop
    DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${package_docs}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvel-printer)
install(FILES ${package_docs}/korvel-printer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel-printer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KORVEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The autostart entry is a conffile: an administrator who deletes or edits it keeps that.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/conffiles)
# Run, not linked: the browser helpers, and the image plugin that reads the tray icon (.icns).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, qt6-image-formats-plugins")
# Stock GNOME shows no tray icons without it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "tray companion for the Korvel point-of-sale print daemon
Korvel Printer puts an icon into the system tray that opens a panel with the
local print daemon's receipt and label printer slots, its service state and
API health with a Restart button, the printers it sees, and a live,
colour-coded tail of its log. It starts at login for every user; the
interface is in Vietnamese under a Vietnamese locale.")
include(CPack)
