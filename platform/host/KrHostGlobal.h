#pragma once
#include <QtGlobal>

#if defined(KRHOST_LIBRARY)
#define KRHOST_EXPORT Q_DECL_EXPORT
#else
#define KRHOST_EXPORT Q_DECL_IMPORT
#endif
