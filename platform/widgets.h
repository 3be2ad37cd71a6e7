// Small stand-ins for properties the system's controls had and Qt's do not name the same way.
#pragma once

#include <QChar>

class QLineEdit;
class QWidget;

namespace sf {

// An edit that shows `c` for every character typed (the PasswordChar of the system's edits);
// Qt's own password mode shows the style's dot instead.
void SetPasswordChar(QLineEdit* edit, QChar c);

// A top-level window without a button in the task bar (the tool-window style of the system):
// the X11 window is marked to be skipped by task bars and pagers. Call it before the window is
// first shown; without an X server it does nothing.
void SkipTaskbar(QWidget* window);

}  // namespace sf
