# Writes the string table of resources/strings.def as a resource-script fragment
# (strings.rc in the build folder), so the .rc and the native build share one source.
set(STRINGS_DEF ${CMAKE_SOURCE_DIR}/resources/strings.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${STRINGS_DEF})
file(STRINGS ${STRINGS_DEF} STRING_LINES REGEX "^SETUP_STRING")
set(STRINGS_RC "LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n")
foreach(line IN LISTS STRING_LINES)
  string(REGEX REPLACE "^SETUP_STRING\\(([0-9]+), (\".*\")\\)$" "\\1, \\2" entry "${line}")
  # A resource script writes a quotation mark inside a string as two of them.
  string(REPLACE "\\\"" "\"\"" entry "${entry}")
  string(APPEND STRINGS_RC "  ${entry}\n")
endforeach()
string(APPEND STRINGS_RC "END\n")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/strings.rc CONTENT "${STRINGS_RC}")
