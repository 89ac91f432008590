# An installed chime: the programs with their bell sounds in lib/chimora (the
# program finds them beside itself), links in bin, and what the desktop reads
# from share. The machine-wide key names the installed folder, so the program
# there keeps its settings per user, never beside itself.
include(GNUInstallDirs)
set(CHIMORA_APP_DIR lib/chimora)
set(CHIMORA_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS chimora chimora-tool RUNTIME DESTINATION ${CHIMORA_APP_DIR})
install(FILES ${CHIMORA_WAVS} DESTINATION ${CHIMORA_APP_DIR}/wav)
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/bin\")
  foreach(program chimora chimora-tool)
    message(STATUS \"Installing: \${root}/bin/\${program} -> ../${CHIMORA_APP_DIR}/\${program}\")
    file(CREATE_LINK ../${CHIMORA_APP_DIR}/\${program} \"\${root}/bin/\${program}\" SYMBOLIC)
  endforeach()
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(etc /etc)
  else()
    set(etc \"\${CMAKE_INSTALL_PREFIX}/etc\")
  endif()
  set(key \"\$ENV{DESTDIR}\${etc}/xdg/${CHIMORA_COMPANY_NAME}/${CHIMORA_INTERNAL_NAME}/registry.ini\")
  message(STATUS \"Installing: \${key}\")
  file(WRITE \"\${key}\" \"[]\\nAppDir=\${CMAKE_INSTALL_PREFIX}/${CHIMORA_APP_DIR}\\n\")
")

install(FILES ${CHIMORA_PACKAGING}/chimora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CHIMORA_PACKAGING}/example.korvessa.chimora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/chimora-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME chimora.png)
endforeach()

# Manual pages and the package's documents, compressed as Debian wants them.
set(compressed)
foreach(page chimora.1 chimora-tool.1)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                     COMMAND gzip -9n -c ${CHIMORA_PACKAGING}/man/${page} > ${PROJECT_BINARY_DIR}/man/${page}.gz
                     DEPENDS ${CHIMORA_PACKAGING}/man/${page})
  list(APPEND compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
                   COMMAND gzip -9n -c ${CHIMORA_PACKAGING}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
                   DEPENDS ${CHIMORA_PACKAGING}/changelog)
add_custom_target(chimora_compressed_docs ALL DEPENDS ${compressed} ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${CHIMORA_PACKAGING}/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CHIMORA_INTERNAL_NAME})
