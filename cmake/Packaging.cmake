# The Debian package: the installed tree (programs, resources) plus the desktop entry, its
# icon and the command line's manual page, where the freedesktop and Debian conventions put
# them. `cpack --config <build>/CPackConfig.cmake` writes quillonet_<version>_<arch>.deb.
set(QUILL_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging/linux)
if(QUILL_BUILD_GUI)
  install(FILES ${QUILL_PACKAGING_DIR}/quillonet.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUILL_PACKAGING_DIR}/quillonet.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES ${QUILL_PACKAGING_DIR}/quillonet-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillonet)
set(CPACK_PACKAGE_VENDOR "${QUILL_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Adware and spyware scanner and remover for Wine prefixes")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds and removes adware and spyware on Windows machines, which on Linux are Wine \
prefixes: files and folders, registry keys and values, running programs and browser cookies, \
each removed item kept in a quarantine it can be restored from.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILL_COMPANY_NAME} <packages@quillonet.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${QUILL_COMMENTS}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the programs link (curl, OpenSSL, Qt, the C++ runtime) as dpkg-shlibdeps
# finds them; Wine runs the programs of the prefixes it protects; the toolkit's translations
# give the desktop program's message boxes and dialogs the words of the chosen language.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, qt6-translations-l10n")
include(CPack)
