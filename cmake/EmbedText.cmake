# kvx_embed_text(OUTPUT <cpp> FUNCTION <name> FILES <files...>)
# Generates a .cpp defining `std::string_view <name>()` that returns the
# concatenated text of FILES, so resource scripts travel inside the binary.
function(kvx_embed_text)
  cmake_parse_arguments(ARG "" "OUTPUT;FUNCTION" "FILES" ${ARGN})
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${ARG_OUTPUT} -DFUNCTION=${ARG_FUNCTION}
            "-DFILES=${ARG_FILES}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedTextScript.cmake
    DEPENDS ${ARG_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedTextScript.cmake
    VERBATIM)
endfunction()

# kvx_embed_bytes(OUTPUT <cpp> FUNCTION <name> FILE <file>)
# The same for one binary file: `std::string_view <name>()` returns its bytes.
function(kvx_embed_bytes)
  cmake_parse_arguments(ARG "" "OUTPUT;FUNCTION;FILE" "" ${ARGN})
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${ARG_OUTPUT} -DFUNCTION=${ARG_FUNCTION} -DFILE=${ARG_FILE}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedBytesScript.cmake
    DEPENDS ${ARG_FILE} ${PROJECT_SOURCE_DIR}/cmake/EmbedBytesScript.cmake
    VERBATIM)
endfunction()
