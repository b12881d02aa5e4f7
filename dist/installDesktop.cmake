# Runs at install time: writes the menu entry with the path of the launcher
# starter under the prefix being installed to, then installs it (DESTDIR and
# install_manifest.txt included). SKY_DESKTOP_IN and SKY_DESKTOP_OUT are set
# by the install rule before this script.
set(prefix "${CMAKE_INSTALL_PREFIX}")
# A relative --prefix counts from the folder the install was started in.
if(NOT IS_ABSOLUTE "${prefix}")
  get_filename_component(prefix "${prefix}" ABSOLUTE BASE_DIR "$ENV{PWD}")
endif()
set(exec "${prefix}/bin/skyward-launcher")
# A path with characters that mean something to the entry's command line is
# quoted, with the four characters that still mean something inside quotes
# escaped.
if(exec MATCHES "[] \t\"'\\\\<>~|&;$*?#()`[]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
  # The value is also a string of the entry format, where a backslash
  # escapes: each one is doubled again.
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
string(REPLACE "%" "%%" SKY_DESKTOP_EXEC "${exec}")
configure_file("${SKY_DESKTOP_IN}" "${SKY_DESKTOP_OUT}" @ONLY)
file(INSTALL "${SKY_DESKTOP_OUT}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
