# A Debian package of the installed chime (cpack -G DEB, or scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CHIMORA_INTERNAL_NAME})
set(CPACK_PACKAGE_VENDOR ${CHIMORA_COMPANY_NAME})
set(CPACK_PACKAGE_CONTACT "${CHIMORA_COMPANY_NAME} <chimora@korvessa.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wind chime hanging from the top of the screen")
set(CPACK_PACKAGE_DESCRIPTION "A cast-iron or glass bell hangs from the top edge of the screen in a frameless
window shaped by its picture. It swings in a simulated wind, strong gusts ring
it, and a paper strip under it turns about its string: one face shows a
picture dropped on the chime, the other today's almanac note or a
four-character idiom in Japanese.

The package also holds chimora-tool, which renders the chime to PNG frames,
prints the almanac of a year and starts the chime with the desktop.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What is opened at run time rather than linked: the display plugin, the sound library, the fonts,
# the link opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libsdl2-2.0-0, fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Installed as at its place, so the machine key names /usr/lib/chimora.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
include(CPack)
