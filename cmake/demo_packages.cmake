# The demo update packages: every folder demo/updates/<base name> (written by
# demo/make_demo_updates.py) is sealed as demo-server/updates/<base name>.upd in the build folder,
# and demo-server/updates/index.txt lists them. ./run serves demo-server over HTTP on 127.0.0.1;
# demo-server/updates is also the folder to pick in the update dialog's local-folder mode.
# Only the sources are kept in the tree; the packages are sealed with the demo keys, named
# explicitly, and only a build that trusts the demo keys makes them.

set(TRUBKOM_DEMO_SERVER ${CMAKE_BINARY_DIR}/demo-server)
file(GLOB demo_package_folders LIST_DIRECTORIES true CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/demo/updates/*)

set(demo_packages)
foreach(folder IN LISTS demo_package_folders)
  if(NOT IS_DIRECTORY ${folder})
    continue()
  endif()
  get_filename_component(name ${folder} NAME)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*)
  set(package ${TRUBKOM_DEMO_SERVER}/updates/${name}.upd)
  add_custom_command(
    OUTPUT ${package}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TRUBKOM_DEMO_SERVER}/updates
    COMMAND trubkom-catalogue pack ${folder} ${package} --keys ${TRUBKOM_DEMO_KEY_FOLDER}
    DEPENDS trubkom-catalogue ${sources}
    COMMENT "Sealing the demo update package ${name}.upd"
    VERBATIM)
  list(APPEND demo_packages ${package})
endforeach()

add_custom_command(
  OUTPUT ${TRUBKOM_DEMO_SERVER}/updates/index.txt
  COMMAND trubkom-catalogue index ${TRUBKOM_DEMO_SERVER} --keys ${TRUBKOM_DEMO_KEY_FOLDER}
  DEPENDS trubkom-catalogue ${demo_packages}
  COMMENT "Listing the demo update packages in demo-server/updates/index.txt"
  VERBATIM)
add_custom_target(demo_packages ALL DEPENDS ${TRUBKOM_DEMO_SERVER}/updates/index.txt)
