// Export macro for the classes that make up the library's interface.
// The library is built with hidden symbol visibility; only what carries
// BSCAN_API is visible to hosts. The same macro serves a Windows DLL build.
#ifndef BSCAN_EXPORT_H
#define BSCAN_EXPORT_H

#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(BSCAN_BUILDING_LIBRARY)
#    define BSCAN_API __declspec(dllexport)
#  else
#    define BSCAN_API __declspec(dllimport)
#  endif
#else
#  if defined(BSCAN_BUILDING_LIBRARY)
#    define BSCAN_API __attribute__((visibility("default")))
#  else
#    define BSCAN_API
#  endif
#endif

#endif
