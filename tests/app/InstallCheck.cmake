# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks the desktop integration there: the binary,
# the desktop entry that starts it with the installed icon, and AppStream metadata that
# appstreamcli accepts.
# Run as: cmake -DBUILD_DIR=<build tree> -DPREFIX=<scratch folder> -P InstallCheck.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

foreach(path
    bin/kinolith
    share/applications/com.nordvane.Kinolith.desktop
    share/metainfo/com.nordvane.Kinolith.metainfo.xml
    share/icons/hicolor/scalable/apps/com.nordvane.Kinolith.svg
    share/doc/kinolith/ThirdPartyNotices.txt)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/com.nordvane.Kinolith.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Kinolith" "Exec=kinolith"
    "Icon=com.nordvane.Kinolith")
  list(FIND entry "${line}" index)
  if(index EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks \"${line}\"")
  endif()
endforeach()

file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/com.nordvane.Kinolith.svg" icon)
if(NOT icon MATCHES "<svg")
  message(FATAL_ERROR "the icon is not an SVG image")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE}
      "${PREFIX}/share/applications/com.nordvane.Kinolith.desktop"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${output}")
  endif()
else()
  message(WARNING "desktop-file-validate is missing: the desktop entry was not validated")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
      "${PREFIX}/share/metainfo/com.nordvane.Kinolith.metainfo.xml"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${output}")
  endif()
else()
  message(WARNING "appstreamcli is missing: the metainfo file was not validated")
endif()
file(REMOVE_RECURSE "${PREFIX}")
