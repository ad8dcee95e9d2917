# SPDX-License-Identifier: GPL-3.0-or-later
# Desktop integration (installed by `cmake --install`) and the Debian package (`cpack`).
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/resources/com.nordvane.Kinolith.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/com.nordvane.Kinolith.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/KinolithLogo.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME com.nordvane.Kinolith.svg)
install(FILES ${PROJECT_BINARY_DIR}/resources/ThirdPartyNotices.txt
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kinolith)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinolith)
set(CPACK_PACKAGE_VENDOR Nordvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turn on-screen content into live PipeWire video feeds")
set(CPACK_PACKAGE_DESCRIPTION
  "Kinolith republishes displays, application windows, single windows and PipeWire video streams as PipeWire video nodes, cropped, turned and mirrored on the way.")
set(CPACK_PACKAGE_CONTACT "Nordvane <kinolith@nordvane.com>")
set(CPACK_PACKAGE_FILE_NAME "kinolith_${PROJECT_VERSION}-${KINOLITH_BUILD_NUMBER}_amd64")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KINOLITH_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://nordvane.com)
# The listed packages, and whatever else the binary links against, as dpkg-shlibdeps finds it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${KINOLITH_DEB_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wireplumber")
set(CPACK_STRIP_FILES ON)
include(CPack)
