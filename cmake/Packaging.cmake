# The Debian package: `cpack` in a configured build folder writes
# mailvane_<version>_<arch>.deb holding what `cmake --install` installs, below /usr, plus
# the two files only a Debian package carries (its copyright file and lintian overrides).
# `cmake --workflow --preset package` configures, builds and packages in build/package.
#
# The package has no maintainer scripts: Debian's triggers rebuild the menu, MIME and icon
# caches when a package adds or removes such files, and without a postrm `apt remove`
# leaves no record behind. That needs the build configured for the prefix /usr, as the
# preset does: the private folder is then /usr/lib/<multiarch>/mailvane. With the
# libraries directly in /usr/lib/mailvane, CPack would add ldconfig calls (needless for a
# private folder) as postinst and postrm.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mailvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Mailvane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(MAILVANE_PACKAGE_MAINTAINER "Mailvane maintainers <maintainers@mailvane.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MAILVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MAILVANE_PACKAGE_MAINTAINER}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first, as the synopsis line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "restore stored mail and news messages into HTML, text and files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Mailvane reads the messages that the Windows mail and news clients of the
2000s stored (folders of .eml and .nws files, Outlook Express .dbx files,
Windows Mail and Windows Live Mail stores) and turns each one back into what
its author composed: the HTML body with its pictures pointing at saved files,
the plain text, and every embedded picture, sound and attachment as a file.
It can also write a stored message out again as a clean unsent copy.

The package holds the desktop program and the mailvane command line for
batch work.")

# Dependencies come from the binaries. dpkg-shlibdeps runs in the staging root, so the
# private library folder is named relative to it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX REPLACE "^/+" "" private_libdir "${CPACK_PACKAGING_INSTALL_PREFIX}/${MAILVANE_INSTALL_LIBDIR}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${private_libdir}")
if(MAILVANE_GUI)
  # What Qt loads at run time rather than links: the web engine's helper process that
  # renders the preview, and the platform plug-ins that put windows on the screen.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, qt6-qpa-plugins")
  # The player decodes and fetches sounds through these; without them "Play" says it
  # cannot play, and everything else works.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
      "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav")
endif()

# Only the package carries these: a plain `cmake --install` leaves the component out, and
# CPack installs it after everything else.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mailvane
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME mailvane
        COMPONENT debian EXCLUDE_FROM_ALL)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")

include(CPack)
