# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package: `cpack -G DEB` in a build folder (`make package`) packs what
# `cmake --install` installs, below /usr, plus the files only a distribution package carries.
set(ZEPHYL_PACKAGE_NAME zephyl-keyboard-driver)
set(ZEPHYL_PACKAGE_MAINTAINER "Zephyl Keyboard Driver developers <maintainers@zephyl.invalid>"
  CACHE STRING "Maintainer field of the Debian package")
set(ZEPHYL_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/packaging/deb)

# A native package's changelog and copyright, under /usr/share/doc as Debian policy wants them.
string(TIMESTAMP ZEPHYL_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(VERSION ${PROJECT_VERSION})
set(MAINTAINER ${ZEPHYL_PACKAGE_MAINTAINER})
set(DATE ${ZEPHYL_PACKAGE_DATE})
string(TIMESTAMP YEAR "%Y" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in ${ZEPHYL_PACKAGE_STAGE}/changelog
  @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/copyright.in ${ZEPHYL_PACKAGE_STAGE}/copyright
  @ONLY)
unset(VERSION)
unset(MAINTAINER)
unset(DATE)
unset(YEAR)
# The marker tells the update check that this copy came from a package: updates then come from
# the distribution's package manager, never from the program's own download.
file(WRITE ${ZEPHYL_PACKAGE_STAGE}/distribution-package
  "Installed by the ${ZEPHYL_PACKAGE_NAME} Debian package; the package manager updates it.\n")
# CPack runs this during its own staging only, never for a plain `cmake --install`; file(INSTALL)
# puts DESTDIR (CPack's staging folder) in front of the package's own prefix.
file(WRITE ${ZEPHYL_PACKAGE_STAGE}/PackageOnlyFiles.cmake "\
set(root \"\${CPACK_PACKAGING_INSTALL_PREFIX}\")
file(INSTALL DESTINATION \"\${root}/${ZEPHYL_RESOURCE_INSTALL_DIR}\" TYPE FILE
  FILES \"${ZEPHYL_PACKAGE_STAGE}/distribution-package\")
execute_process(COMMAND gzip -9nf \"${ZEPHYL_PACKAGE_STAGE}/changelog\" -c
  OUTPUT_FILE \"${ZEPHYL_PACKAGE_STAGE}/changelog.gz\" COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL DESTINATION \"\${root}/${CMAKE_INSTALL_DATADIR}/doc/${ZEPHYL_PACKAGE_NAME}\"
  TYPE FILE FILES \"${ZEPHYL_PACKAGE_STAGE}/copyright\" \"${ZEPHYL_PACKAGE_STAGE}/changelog.gz\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZEPHYL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zephyl Keyboard Driver developers")
set(CPACK_PACKAGE_CONTACT ${ZEPHYL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_SCRIPTS ${ZEPHYL_PACKAGE_STAGE}/PackageOnlyFiles.cmake)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure Zephyl keyboards: keys, macros, lighting, screen")
set(CPACK_PACKAGE_DESCRIPTION "\
Zephyl Keyboard Driver sets up Zephyl keyboards connected by cable, by their
wireless receiver or over Bluetooth: key assignments on two layers with
profiles, macros, lighting effects, per-key and music-reactive lighting,
pictures for the keyboard's screen and the keyboard's own settings.
.
The package holds the windowed program, which lives in the notification area,
the command-line program zephylctl, and a udev rule that gives the user at the
seat access to the keyboards' configuration interfaces.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZEPHYL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zephyl.invalid/)
# dpkg-shlibdeps finds what the programs link; hidapi, libcurl (for updates) and the PulseAudio
# client library (for music lighting) are opened at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libhidapi-hidraw0, libcurl4, libpulse0")
# Qt's translations put the toolkit's own texts (the file choosers) into the program's language;
# xdg-open (xdg-utils) opens the website and the pages and files of key actions.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
