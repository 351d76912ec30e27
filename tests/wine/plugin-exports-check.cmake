# cmake -D OBJDUMP=<objdump> -D DLL=<TolvUIRQ7K.dll> -P plugin-exports-check.cmake
# The plug-in as the driver core finds it: exactly DllGetClassObject and DllCanUnloadNow, undecorated
# (no "@12" on x86), and file and product version 4.1.1.0 in its version resource.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${rc})")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(\t\\[[^\n]*\n)*" table "${dump}")
# Square brackets would confuse CMake's lists.
string(REGEX REPLACE "[][]" "|" table "${table}")
string(REGEX MATCHALL "\t\\| *[0-9]+\\| [^\n]+" rows "${table}")
set(names "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^.*\\| " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
if(NOT names STREQUAL "DllCanUnloadNow;DllGetClassObject")
  message(FATAL_ERROR "${DLL} exports [${names}], expected exactly [DllCanUnloadNow;DllGetClassObject]")
endif()

# VS_FIXEDFILEINFO: signature FEEF04BD, structure version 1.0, file version 4.1.1.0, product version
# 4.1.1.0, each 32-bit word little-endian.
file(READ ${DLL} image HEX)
string(FIND "${image}" "bd04effe00000100010004000000010001000400" fixed)
if(fixed EQUAL -1)
  message(FATAL_ERROR "${DLL}: no version resource with file and product version 4.1.1.0")
endif()
math(EXPR after "${fixed} + 40")
string(SUBSTRING "${image}" ${after} 8 productLow)
if(NOT productLow STREQUAL "00000100")
  message(FATAL_ERROR "${DLL}: product version is not 4.1.1.0")
endif()
message(STATUS "${DLL}: exports ${names}, version 4.1.1.0")
