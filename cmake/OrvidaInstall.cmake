# `make install`: the program with its pictures and sound in PREFIX/lib/orvida (the
# program looks for them beside itself), PREFIX/bin/orvida as a link to it, the desktop
# entry and the icon where launchers look, and the reminder timer for systemd's user
# instance. DESTDIR is honoured, for packaging.
include(GNUInstallDirs)

# lib/, not the multiarch library folder: these are the program's own files, and systemd
# looks for user units in PREFIX/lib/systemd/user.
set(ORVIDA_INSTALL_DIR lib/orvida)
install(TARGETS orvida RUNTIME DESTINATION ${ORVIDA_INSTALL_DIR})
install(DIRECTORY ${ORVIDA_BIN_DIR}/images ${ORVIDA_BIN_DIR}/sounds DESTINATION ${ORVIDA_INSTALL_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/orvida.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/orvida.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${PROJECT_SOURCE_DIR}/data/systemd/orvida-remind.timer DESTINATION lib/systemd/user)

# Done when installing, so that `cmake --install --prefix P` gets P: the link
# PREFIX/bin/orvida (relative, so that a DESTDIR tree still works when moved), and the
# timer's service naming the installed program instead of ~/.local/bin/orvida.
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  file(RELATIVE_PATH target \"/${CMAKE_INSTALL_BINDIR}\" \"/${ORVIDA_INSTALL_DIR}/orvida\")
  set(link \"\${root}/${CMAKE_INSTALL_BINDIR}/orvida\")
  file(CREATE_LINK \"\${target}\" \"\${link}\" SYMBOLIC)
  message(STATUS \"Linking: \${link} -> \${target}\")

  file(READ \"${PROJECT_SOURCE_DIR}/data/systemd/orvida-remind.service\" unit)
  string(REPLACE \"%h/.local/bin/orvida\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvida\" unit \"\${unit}\")
  string(REGEX REPLACE \"# Adjust the path[^\\n]*\\n\" \"\" unit \"\${unit}\")
  set(service \"\${root}/lib/systemd/user/orvida-remind.service\")
  file(WRITE \"\${service}\" \"\${unit}\")
  message(STATUS \"Installing: \${service}\")
  # The manifest names files without DESTDIR, as CMake's own entries do.
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvida\"
       \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/orvida-remind.service\")
")
