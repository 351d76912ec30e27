# cmake -D README=<README.md> -D VERSION=<a.b.c.d> -D OUT=<kvxinstaller.1> -P ManPage.cmake
# The manual page of kvxinstaller from the README's option and exit-code tables, so that the two say
# the same. Markdown to roff for what those tables hold: `code`, **bold**, escaped bars.
cmake_minimum_required(VERSION 3.25)

file(READ "${README}" text)
# CMake lists split at semicolons and keep brackets together: hide all three while lines are a list.
string(ASCII 1 semicolon)
string(ASCII 2 open)
string(ASCII 3 close)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open}" text "${text}")
string(REPLACE "]" "${close}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

# Roff for a span of markdown text: backslashes escaped, code and bold spans bold.
function(to_roff markdown out)
  string(REPLACE "\\|" "|" t "${markdown}")
  string(REPLACE "\\" "\\e" t "${t}")
  string(REGEX REPLACE "\\*\\*([^*]+)\\*\\*" "\\\\fB\\1\\\\fR" t "${t}")
  # Code is typed as shown: its dashes are minus signs, not hyphens a terminal may turn into others.
  while(t MATCHES "`([^`]+)`")
    set(code "${CMAKE_MATCH_1}")
    string(REPLACE "-" "\\-" typed "${code}")
    string(REPLACE "`${code}`" "\\fB${typed}\\fR" t "${t}")
  endwhile()
  string(REPLACE "${semicolon}" ";" t "${t}")
  string(REPLACE "${open}" "[" t "${t}")
  string(REPLACE "${close}" "]" t "${t}")
  # A line starting with a dot or a quote would be a request.
  if(t MATCHES "^[.']")
    string(PREPEND t "\\&")
  endif()
  set(${out} "${t}" PARENT_SCOPE)
endfunction()

# The term of an option row: option names bold with their dashes as minus signs, the values they
# take (DIR, NAME, N, A.B.C.D) italic.
function(term_to_roff markdown out)
  string(REPLACE "\\|" "|" t "${markdown}")
  string(REGEX REPLACE "`([^`]+)`" "\\1" t "${t}")
  string(REGEX REPLACE "(^| )([A-Z][A-Z.]*)( |$)" "\\1\\\\fI\\2\\\\fB\\3" t "${t}")
  string(REGEX REPLACE "(^| )([A-Z][A-Z.]*)( |$)" "\\1\\\\fI\\2\\\\fB\\3" t "${t}")
  string(REPLACE "-" "\\-" t "${t}")
  set(${out} "\\fB${t}\\fR" PARENT_SCOPE)
endfunction()

# The rows of the table whose header row is `header`, as .TP entries.
function(table_to_roff header term_function out)
  set(roff "")
  set(inside OFF)
  foreach(line IN LISTS lines)
    if(line STREQUAL header)
      set(inside ON)
      continue()
    endif()
    if(NOT inside)
      continue()
    endif()
    if(line MATCHES "^\\|-")
      continue()
    endif()
    if(NOT line MATCHES "^\\|")
      break()
    endif()
    # Cells: bars that the text escapes are no borders.
    string(REPLACE "\\|" "${open}bar${close}" row "${line}")
    if(NOT row MATCHES "^\\| *(.*[^ ]) *\\| *(.*[^ ]) *\\|$")
      message(FATAL_ERROR "${README}: not a row of two cells: ${line}")
    endif()
    string(REPLACE "${open}bar${close}" "\\|" term "${CMAKE_MATCH_1}")
    string(REPLACE "${open}bar${close}" "\\|" meaning "${CMAKE_MATCH_2}")
    cmake_language(CALL ${term_function} "${term}" term)
    to_roff("${meaning}" meaning)
    string(APPEND roff ".TP\n${term}\n${meaning}\n")
  endforeach()
  if(roff STREQUAL "")
    message(FATAL_ERROR "${README}: no table under '${header}'")
  endif()
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

table_to_roff("| Option | Meaning |" term_to_roff options)
table_to_roff("| Code | Meaning |" to_roff codes)

file(WRITE "${OUT}" ".TH KVXINSTALLER 1 \"\" \"kvxinstaller ${VERSION}\" \"Korvex printer tools\"
.SH NAME
kvxinstaller \\- install Korvex printers on a simulated Windows machine
.SH SYNOPSIS
.B kvxinstaller
[\\fIoptions\\fR]
.SH DESCRIPTION
\\fBkvxinstaller\\fR runs the Korvex printer installer headless against a simulated Windows machine
kept in a folder: every choice of the wizard comes from the options, and a transcript of the
dialogs, choices and outcome is printed. The catalog \\fBKvxIns.ini\\fR and the driver files are read
from the distribution folder, \\fI/usr/share/kvxinstaller\\fR for the installed program (see
\\fB\\-\\-media\\fR), which is drive D: of the simulated machine. Several files of that folder are
stand-ins for components this project does not build; see its README.txt files.
.SH OPTIONS
${options}.SH EXIT STATUS
${codes}.SH FILES
.TP
.I /usr/share/kvxinstaller
the distribution folder: the catalog, the driver files, the interface drivers
.TP
.I ~/.local/share/kvx-machine
the default simulated machine: \\fBmachine.json\\fR and the machine's drive C: in \\fBdrive_c/\\fR
.SH SEE ALSO
\\fBkvx-serial-printer-peer\\fR (a serial printer on a pseudo-terminal),
\\fBkvx-board-simulator\\fR (ethernet interface boards on UDP)
")
