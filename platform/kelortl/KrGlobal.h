#pragma once
// Export macro and version numbers of the KeloRTL runtime package.

#include <QtGlobal>

#if defined(KELORTL_LIBRARY)
#define KRTL_EXPORT Q_DECL_EXPORT
#else
#define KRTL_EXPORT Q_DECL_IMPORT
#endif

// Release of the runtime library file (its SONAME carries the major number).
#define KRTL_VERSION_MAJOR 1
#define KRTL_VERSION_MINOR 0
#define KRTL_VERSION_PATCH 0

// Binary contract between the runtime and the component libraries: the layout of
// the symbol base classes, the element classes and the interfaces. A component
// library records the number it was built against; the host loader refuses a
// library whose number differs from that of the loaded runtime.
#ifndef KRTL_RUNTIME_VERSION
#define KRTL_RUNTIME_VERSION 1
#endif

// The runtime contract version of the KeloRTL library actually loaded.
extern "C" KRTL_EXPORT unsigned int KrRuntimeVersion();
