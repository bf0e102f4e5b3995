#pragma once

#include <QFont>

class QWidget;

namespace quorvel::shell {

// The font both windows are drawn in.  Their layout is fixed in twips and
// was drawn for a 9 point face, so the font is the program's, not the
// desktop's: a larger desktop font would clip captions and cells.  The
// package depends on the face (fonts-wqy-microhei, or one of its two
// alternatives); where none is there the font system's nearest sans face
// stands in at the same size.
QFont WindowFont();

// Sets WindowFont() on `window` and on each control in it that has no font
// of its own; call it once the controls are made.  The window's font alone
// does not reach a control under a style sheet (the skin, or a control's
// own): Qt gives such a control the font the desktop's platform theme names
// for its class, and Qt 6.8's GTK theme names one for buttons, labels,
// lists and more, so the desktop's font would win.
void SetWindowFont(QWidget& window);

}  // namespace quorvel::shell
