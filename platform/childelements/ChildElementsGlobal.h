#pragma once
// Export macro of the ChildElements package.

#include <QtGlobal>

#if defined(CHILDELEMENTS_LIBRARY)
#define KRCE_EXPORT Q_DECL_EXPORT
#else
#define KRCE_EXPORT Q_DECL_IMPORT
#endif
