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
    std::string_view piece(bytes.data() + start, semi - start);
    while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
    while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
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
