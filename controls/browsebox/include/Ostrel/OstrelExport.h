// SPDX-License-Identifier: MIT
#pragma once
#include <QtCore/qglobal.h>

// Symbols of the Ostrel shared library: exported while it is built, imported by its users.
#if defined(OSTREL_LIBRARY)
#define OSTREL_EXPORT Q_DECL_EXPORT
#else
#define OSTREL_EXPORT Q_DECL_IMPORT
#endif
