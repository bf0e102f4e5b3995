#pragma once

#include <QFont>

namespace quorvel::shell {

// The font both windows are drawn in.  Their layout is fixed in twips and
// was drawn for a 9 point face, so the font is the program's, not the
// desktop's: a larger desktop font would clip captions and cells.  The
// package depends on the face (fonts-wqy-microhei, or one of its two
// alternatives); where none is there the font system's nearest sans face
// stands in at the same size.
QFont WindowFont();

}  // namespace quorvel::shell
