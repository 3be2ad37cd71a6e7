// A transition list: effect indexes in order, with a cursor.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace sf {

class TQrxArray {
 public:
  // Fills the list from a text such as "3;17;120;": cut at each ";", each piece trimmed of
  // blanks; empty pieces and pieces that are not decimal integers are skipped; text after the
  // last ";" is ignored. The cursor goes back to 0.
  void Fill(const QString& text);
  // Sequential pick: the item at the cursor, which then moves on and wraps; -1 when empty.
  int32_t Pick();
  // The item at position i, which becomes the cursor; -1 when empty or out of range.
  int32_t PickAt(int32_t i);

  int32_t Count() const { return int32_t(items_.size()); }
  int32_t Cursor() const { return cursor_; }
  const std::vector<int32_t>& Items() const { return items_; }

 private:
  std::vector<int32_t> items_;
  int32_t cursor_ = 0;
};

}  // namespace sf
