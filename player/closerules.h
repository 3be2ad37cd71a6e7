// The user's close events, read from the settings, as both the run window and the flash window
// apply them: the keys that close the show, and the mouse moves that count towards closing it.
#pragma once

#include <QString>
#include <cstdint>
#include <cstdlib>

#include "settings/rwsetting.h"

namespace sf {

// Esc and Enter, each where its setting is on.
inline bool ClosingKey(const TRWSetting& settings, int key) {
  return (settings.CloseOnEsc && key == Qt::Key_Escape) ||
         (settings.CloseOnEnter && (key == Qt::Key_Return || key == Qt::Key_Enter));
}

// The specified key: one typed character, compared exactly ("a" is not "A", and a
// two-character key never matches).
inline bool ClosingText(const TRWSetting& settings, const QString& text) {
  return settings.CloseOnKey && text.size() == 1 && text == settings.CloseKey;
}

// Mouse moves towards the close: the first move only marks where the pointer stands; a move
// that stays within the threshold (ten pixels a step of sensitivity, at least ten) of the mark is
// not counted; the move after `MouseSensitivity` counted ones closes the show, and marks the
// place it was made at.
struct TMouseMoveWatch {
  int32_t lastX = -10, lastY = -10;  // -10: no mark yet
  int32_t moves = 0;

  void Mark(int32_t x, int32_t y) { lastX = x, lastY = y; }
  bool Closes(int32_t sensitivity, int32_t x, int32_t y) {
    if (lastX == -10) {
      Mark(x, y);
      return false;
    }
    const int32_t threshold = sensitivity == 0 ? 10 : sensitivity * 10;
    if (std::abs(x - lastX) < threshold && std::abs(y - lastY) < threshold) return false;
    if (sensitivity >= ++moves) return false;
    Mark(x, y);
    return true;
  }
};

}  // namespace sf
