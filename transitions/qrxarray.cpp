#include "transitions/qrxarray.h"

#include "platform/ansi.h"
#include "platform/convert.h"

namespace sf {

void TQrxArray::Fill(const QString& text) {
  items_.clear();
  cursor_ = 0;
  const std::string bytes = UnicodeToAnsi(text);
  size_t start = 0;
  for (size_t semi; (semi = bytes.find(';', start)) != std::string::npos; start = semi + 1) {
    // Trimmed of blanks and control characters: a tab or a line break between items is no item.
    const std::string_view piece = Trim(std::string_view(bytes.data() + start, semi - start));
    int32_t v = 0;
    // A hand-edited item that is not a number is passed over.
    if (!piece.empty() && TryStrToInt(piece, v)) items_.push_back(v);
  }
}

int32_t TQrxArray::Pick() {
  if (items_.empty()) return -1;
  if (cursor_ < 0 || cursor_ >= Count()) cursor_ = 0;
  const int32_t v = items_[size_t(cursor_)];
  if (++cursor_ >= Count()) cursor_ = 0;
  return v;
}

int32_t TQrxArray::PickAt(int32_t i) {
  if (i < 0 || i >= Count()) return -1;
  cursor_ = i;
  return items_[size_t(i)];
}

}  // namespace sf
