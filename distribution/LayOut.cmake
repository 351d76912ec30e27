# cmake -D MEDIA=<dir> -D MANIFEST=<stand-ins.txt> -D OUT=<dir> [-D STANDINS=<dir>] [-D PROGRAM=<exe>]
#       [-D PLUGIN=<dll>] -P LayOut.cmake
# Lays out the distribution folder afresh: the checked-in files of MEDIA, the stand-ins of MANIFEST
# (from STANDINS, when given, the built .dll/.sys stand-ins with a version, else text ones), a
# README.txt beside each group of stand-ins, the plug-in in place of its stand-in and the program.
cmake_minimum_required(VERSION 3.25)

# The folder is the media of a Windows program: its text files have CRLF line ends.
set(crlf "\r\n")

# Rebuilt from nothing, so a stand-in dropped from the manifest does not linger.
file(REMOVE_RECURSE "${OUT}")
# errors.log: what a run from the media folder itself left there.
file(COPY "${MEDIA}/" DESTINATION "${OUT}" PATTERN errors.log EXCLUDE)

file(STRINGS "${MANIFEST}" lines REGEX "^[^#].*[|]")
set(folders "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([^|]+)[|]([^|]+)[|](.+)$")
    message(FATAL_ERROR "${MANIFEST}: not 'path | version | what': ${line}")
  endif()
  string(STRIP "${CMAKE_MATCH_1}" path)
  string(STRIP "${CMAKE_MATCH_2}" version)
  string(STRIP "${CMAKE_MATCH_3}" what)
  get_filename_component(name "${path}" NAME)
  get_filename_component(folder "${path}" DIRECTORY)
  file(MAKE_DIRECTORY "${OUT}/${folder}")

  if(PLUGIN AND name STREQUAL "TolvUIRQ7K.dll")
    file(COPY_FILE "${PLUGIN}" "${OUT}/${path}")
    continue()
  endif()
  if(STANDINS AND name MATCHES "[.](dll|sys)$" AND NOT version STREQUAL "-")
    file(COPY_FILE "${STANDINS}/${name}" "${OUT}/${path}")
  else()
    set(text "Stand-in for ${name}: ${what}. See README.txt.${crlf}")
    if(name MATCHES "[.]inf$")
      # Enough of a driver package for the setup functions to open it.
      set(text "; ${text}[Version]${crlf}Signature=\"$Windows NT$\"${crlf}")
    elseif(NOT version STREQUAL "-")
      set(text "KVXVERSION ${version}${crlf}${text}")
    endif()
    file(WRITE "${OUT}/${path}" "${text}")
  endif()

  string(MAKE_C_IDENTIFIER "readme_${folder}" entries)
  if(NOT folder IN_LIST folders)
    list(APPEND folders "${folder}")
    set(${entries} "")
  endif()
  if(NOT version STREQUAL "-")
    set(what "${what}, file version ${version}")
  endif()
  string(APPEND ${entries} "  ${name}: ${what}${crlf}")
endforeach()

foreach(folder IN LISTS folders)
  string(MAKE_C_IDENTIFIER "readme_${folder}" entries)
  file(WRITE "${OUT}/${folder}/README.txt"
       "Stand-ins${crlf}${crlf}"
       "The files below stand in for components that this project does not build. An installation${crlf}"
       "copies, registers and installs them as it would the real ones, so the installer can be tried${crlf}"
       "from this folder. They do nothing: put the real files in their place before using the folder${crlf}"
       "to install a printer on Windows.${crlf}${crlf}"
       "${${entries}}")
endforeach()

if(PROGRAM)
  file(COPY "${PROGRAM}" DESTINATION "${OUT}")
endif()
