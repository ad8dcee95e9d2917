# SPDX-License-Identifier: GPL-3.0-or-later
# Writes ThirdPartyNotices.txt from the Debian copyright files of the packages Kinolith runs with.
# Run as: cmake -DOUTPUT=<file> -DPACKAGES=<a;b;c> -DDOC_ROOT=/usr/share/doc -P ThirdPartyNotices.cmake
# A package whose copyright file is missing fails the build: the notices must stay complete.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED DOC_ROOT)
  set(DOC_ROOT /usr/share/doc)
endif()
string(REPLACE "," ";" PACKAGES "${PACKAGES}")

set(rule "================================================================================")
set(text "Kinolith — third-party notices\n\n")
string(APPEND text "Kinolith uses the software and fonts listed below, as shipped by Debian. The\n")
string(APPEND text "notices and license texts of each follow, as the Debian package states them.\n\n")
foreach(package IN LISTS PACKAGES)
  string(APPEND text "  ${package}\n")
endforeach()

set(seen "")
foreach(package IN LISTS PACKAGES)
  set(file "${DOC_ROOT}/${package}/copyright")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "ThirdPartyNotices: ${file} is missing; install ${package}")
  endif()
  file(READ "${file}" body)
  # Several binary packages of one source package share one copyright text: print it once.
  string(SHA256 digest "${body}")
  list(FIND seen "${digest}" index)
  string(APPEND text "\n${rule}\n${package}\n${rule}\n\n")
  if(index GREATER -1)
    string(APPEND text "(The same notices as the package above with the same source.)\n")
  else()
    list(APPEND seen "${digest}")
    string(APPEND text "${body}")
  endif()
endforeach()

file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
