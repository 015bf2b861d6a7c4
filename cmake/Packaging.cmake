# `cpack -G DEB` in the build folder: a Debian package of what `cmake --install`
# puts under /usr. Library dependencies are found by dpkg-shlibdeps (dpkg-dev).
# The desktop database, icon cache and MIME database are refreshed by the
# triggers of the packages that own them, so the package needs no scripts.
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "The Tavrin developers")
# Debian requires a maintainer address; set this to the real one when publishing.
set(TAVRIN_PACKAGE_MAINTAINER "Tavrin developers <tavrin@localhost>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${TAVRIN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Master System and Game Gear emulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrin plays Master System and Game Gear cartridge images on the Linux\n\
desktop (GTK 3 menu window, SDL 2 display, sound and game pads), or\n\
headless for scripted runs that write screenshots and sound recordings.\n\
A demo cartridge is built in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info, desktop-file-utils")

# The licence where Debian reads it, in its machine-readable copyright format
# (cpack installs the same tree, so the package carries it too).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian-copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrin
        RENAME copyright)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

include(CPack)
