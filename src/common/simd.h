#pragma once

// Whether the code reads bytes sixteen at a time with SSE2. Every such path has a portable one
// beside it, which a build with TRUBKOM_NO_SSE2 defined compiles and tests in its place
// (scripts/portable-test), so that the two never drift apart unseen.
#if defined(__SSE2__) && !defined(TRUBKOM_NO_SSE2)
#define TRUBKOM_USE_SSE2 1
#else
#define TRUBKOM_USE_SSE2 0
#endif
