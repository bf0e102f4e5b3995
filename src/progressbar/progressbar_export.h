#pragma once

// Symbols of libQuorvelProgressBar are hidden unless marked here.
//
// QUORVEL_PROGRESSBAR_EXPORT marks the control's public interface: the widget,
// the control, its stores, colour helpers and painters.
//
// QUORVEL_PROGRESSBAR_INTERNAL marks internals that this tree's own white-box
// tests reach. They are exported only in a build configured with
// QUORVEL_PROGRESSBAR_EXPORT_INTERNALS (the default of a build with the tests,
// like Qt's developer builds); in any other, the packaged library among them,
// they stay hidden, so no program can come to depend on them.

#include <QtGlobal>

#if defined(QUORVEL_PROGRESSBAR_LIBRARY)
#define QUORVEL_PROGRESSBAR_EXPORT Q_DECL_EXPORT
#else
#define QUORVEL_PROGRESSBAR_EXPORT Q_DECL_IMPORT
#endif

#if defined(QUORVEL_PROGRESSBAR_INTERNALS)
#define QUORVEL_PROGRESSBAR_INTERNAL QUORVEL_PROGRESSBAR_EXPORT
#else
#define QUORVEL_PROGRESSBAR_INTERNAL
#endif
