// Small stand-ins for properties the system's controls had and Qt's do not name the same way, and
// the one rule that stacks the show's windows and the dialogs it opens.
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

// Every dialog and message box the program opens is modal: it runs a loop of its own until it
// closes, and the show goes on under it meanwhile. While one is up (Qt's active modal widget) it
// stands over every window of the show and has the keyboard. The show's windows come to the front
// only through BringToFront, which keeps to that; a dialog opened over the show is set up by
// StandOverShow.

// Shows `window`, a window of the show, and brings it to the front with the keyboard (the
// system's BringToFront). While a dialog is up the window goes beneath it instead: the dialogs
// are put back over it, the one opened last on top with the keyboard. An open popup menu stays
// over it too.
void BringToFront(QWidget* window);

// Call before a dialog is shown: while a window of the show is up, the dialog bypasses the window
// manager as that window does, so that the two are stacked together, the dialog above.
void StandOverShow(QWidget* dialog);

}  // namespace sf
