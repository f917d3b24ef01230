# Installing: bin/ holds trubkom and trubkom-catalogue; share/trubkom holds their own files
# (config.tkm, the files its advertising names, and the demo catalogue in catalogue/), where an
# installed program looks for them (catalogue::ProgramFolder); the desktop entry, the AppStream
# metadata, the icon and the manual pages go where the desktop and man look for them. The build
# folder holds the program's files beside the executables, so a program run where it was built
# finds them too.

set(TRUBKOM_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/trubkom)
set(TRUBKOM_APP_ID ru.trubkom.Trubkom)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(generated ${CMAKE_BINARY_DIR}/packaging)

# Every installed folder is 0755 and every file 0644 (the programs 0755), whatever the umask
# and the modes in the source tree.
set(TRUBKOM_FOLDER_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                               WORLD_READ WORLD_EXECUTE)
set(TRUBKOM_FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS})

set(installed_programs trubkom-catalogue)
if(TRUBKOM_BUILD_APP)
  list(PREPEND installed_programs trubkom)
endif()
install(TARGETS ${installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Pages the program writes are never shipped, should a catalogue of the tree have been used.
set(written_files PATTERN temp.html EXCLUDE PATTERN price_temp.html EXCLUDE PATTERN *.tmp EXCLUDE)
install(DIRECTORY demo/program/ DESTINATION ${TRUBKOM_DATA_DESTINATION}
        FILE_PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS}
        DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS} ${written_files})
install(DIRECTORY demo/catalogue/ DESTINATION ${TRUBKOM_DATA_DESTINATION}/catalogue
        FILE_PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS}
        DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS} ${written_files})

# The desktop's files: the entry, its icon in the hicolor theme, the AppStream metadata.
configure_file(${packaging}/${TRUBKOM_APP_ID}.metainfo.xml.in
               ${generated}/${TRUBKOM_APP_ID}.metainfo.xml @ONLY)
if(TRUBKOM_BUILD_APP)
  install(FILES ${packaging}/${TRUBKOM_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS})
  install(FILES ${generated}/${TRUBKOM_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS})
  install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
          FILE_PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS}
          DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS})
endif()

# Manual pages and the changelog are installed compressed, as Debian has them; gzip -n leaves
# the time out, so the same sources give the same bytes.
function(trubkom_gzip source target)
  execute_process(COMMAND gzip -9 -n -c ${source} OUTPUT_FILE ${target}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()

foreach(program IN LISTS installed_programs)
  configure_file(${packaging}/${program}.1.in ${generated}/${program}.1 @ONLY)
  trubkom_gzip(${generated}/${program}.1 ${generated}/${program}.1.gz)
  install(FILES ${generated}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS})
endforeach()

trubkom_gzip(${packaging}/changelog ${generated}/changelog.gz)
install(FILES ${packaging}/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${TRUBKOM_PACKAGE_NAME}
        PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS})

# A demo build ships the demo update packages in its program folder, where the update dialog's
# local folder first opens, so a user can try an update without a server.
if(TRUBKOM_DEMO_KEYS)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/demo-server/updates/
          DESTINATION ${TRUBKOM_DATA_DESTINATION}/demo-updates
          FILE_PERMISSIONS ${TRUBKOM_FILE_PERMISSIONS}
          DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS}
          FILES_MATCHING PATTERN *.upd PATTERN index.txt PATTERN index.sig)
endif()

# The build folder as a program folder: config.tkm and its files beside the executables, the
# demo catalogue in catalogue/.
file(GLOB_RECURSE program_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/demo/program/*
     ${CMAKE_SOURCE_DIR}/demo/catalogue/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/program-files.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo/program ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/catalogue
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo/catalogue
          ${CMAKE_BINARY_DIR}/catalogue
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/program-files.stamp
  DEPENDS ${program_files}
  COMMENT "Copying the program's files and the demo catalogue into the build folder"
  VERBATIM)
add_custom_target(program_files ALL DEPENDS ${CMAKE_BINARY_DIR}/program-files.stamp)
foreach(program IN LISTS installed_programs)
  add_dependencies(${program} program_files)
endforeach()
