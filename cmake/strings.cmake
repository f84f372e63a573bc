# Writes each string table of resources/*.def as a resource-script fragment in the build
# folder (strings.rc for the setup program's, uninstall_strings.rc for the uninstaller's), so
# the .rc files and the native build share one source.
function(write_string_table def rc)
  set(STRINGS_DEF ${CMAKE_SOURCE_DIR}/resources/${def})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${STRINGS_DEF})
  file(STRINGS ${STRINGS_DEF} STRING_LINES REGEX "^SETUP_STRING")
  set(STRINGS_RC "LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n")
  foreach(line IN LISTS STRING_LINES)
    string(REGEX REPLACE "^SETUP_STRING\\(([0-9]+), [A-Za-z]+, (\".*\")\\)$" "\\1, \\2" entry "${line}")
    # A resource script writes a quotation mark inside a string as two of them.
    string(REPLACE "\\\"" "\"\"" entry "${entry}")
    string(APPEND STRINGS_RC "  ${entry}\n")
  endforeach()
  string(APPEND STRINGS_RC "END\n")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/${rc} CONTENT "${STRINGS_RC}")
endfunction()
write_string_table(strings.def strings.rc)
write_string_table(uninstall_strings.def uninstall_strings.rc)
