// Every message the program shows to the user goes through ShowMessage, so that tests can
// capture what the program would show.
#pragma once

#include <QString>
#include <functional>

namespace sf {

// A modal message box with the text. Without a visible display (no QApplication, or the
// offscreen and minimal platforms), or once a termination signal has come, the text goes to
// standard error instead.
void ShowMessage(const QString& text);

// Replaces the box with `sink` (tests); an empty function restores the box.
void SetMessageSink(std::function<void(const QString&)> sink);

}  // namespace sf
