# TRUBKOM_NO_SSE2 builds the portable paths in place of the SSE2 ones (src/common/simd.h), so
# that they are compiled and tested as well: scripts/portable-test configures a build with it.
# Included once, after the layer libraries are made.
include_guard(GLOBAL)

option(TRUBKOM_NO_SSE2 "Compile the portable paths in place of the SSE2 ones" OFF)
if(TRUBKOM_NO_SSE2)
  target_compile_definitions(trubkom_common PUBLIC TRUBKOM_NO_SSE2)
endif()
