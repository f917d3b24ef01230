# Layers of the program. Each folder of src/ is reached through an include folder of its own in
# the build tree, holding one link: include/<layer>/<layer> -> src/<layer>. A target sees a
# folder's headers ("update/package.h") only when it links that folder's library, so the build
# itself keeps the layers apart.

set(TRUBKOM_LAYER_INCLUDES ${CMAKE_BINARY_DIR}/include)

# Makes the headers of src/<folder> visible to target (PUBLIC: to whatever links it too).
function(trubkom_own_headers target folder)
  set(scope PRIVATE)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  set(root ${TRUBKOM_LAYER_INCLUDES}/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# trubkom_layer(name sources...): the static library trubkom_<name> of src/<name>/.
function(trubkom_layer name)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/src/${name}/)
  add_library(trubkom_${name} STATIC ${ARGN})
  target_compile_options(trubkom_${name} PRIVATE ${TRUBKOM_WARNINGS})
  trubkom_own_headers(trubkom_${name} ${name} PUBLIC)
endfunction()
