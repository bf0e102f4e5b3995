#pragma once

// Symbols of libQuorvelProgressBar are hidden unless marked here.
//
// QUORVEL_PROGRESSBAR_EXPORT marks the control's public interface, and only
// that: the widget, the control, its stores, colour helpers and painters. The
// library's internals are never exported; this tree's white-box tests link
// the static library of the control (quorvel_progressbar) instead, so no
// program can come to depend on an internal.

#include <QtGlobal>

#if defined(QUORVEL_PROGRESSBAR_LIBRARY)
#define QUORVEL_PROGRESSBAR_EXPORT Q_DECL_EXPORT
#else
#define QUORVEL_PROGRESSBAR_EXPORT Q_DECL_IMPORT
#endif
