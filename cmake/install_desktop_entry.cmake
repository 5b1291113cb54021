# Run by `cmake --install`: writes a program's menu entry with the full path
# of the installed executable and installs it into share/applications.
# Takes ENTRY_BUILD_DIR, ENTRY_TARGET, ENTRY_TEMPLATE, ENTRY_NAME, ENTRY_BINDIR,
# ENTRY_DATADIR. The entry is written into the build folder first: the
# install step's current directory is the user's, never to be written.
set(EXEC "${CMAKE_INSTALL_PREFIX}/${ENTRY_BINDIR}/${ENTRY_TARGET}")
if(EXEC MATCHES "[^A-Za-z0-9_./+,:=@-]")
  # Quoted as an Exec argument, then escaped as a string value.
  foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" EXEC "${EXEC}")
  endforeach()
  set(EXEC "\"${EXEC}\"")
  string(REPLACE "\\" "\\\\" EXEC "${EXEC}")
endif()
string(REPLACE "%" "%%" EXEC "${EXEC}")
set(entry "${ENTRY_BUILD_DIR}/${ENTRY_NAME}")
configure_file("${ENTRY_TEMPLATE}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${ENTRY_DATADIR}/applications")
