#include "platform/ansi.h"

#include <array>

namespace sf {
namespace {

// 0x80..0x9F of Windows-1252; the undefined places keep their own number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString AnsiToUnicode(std::string_view bytes) {
  QString out(qsizetype(bytes.size()), Qt::Uninitialized);
  QChar* d = out.data();
  for (unsigned char b : bytes) *d++ = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
  return out;
}

std::string UnicodeToAnsi(const QString& text, bool* exact) {
  std::string out;
  out.reserve(size_t(text.size()));
  bool all = true;
  for (QChar qc : text) {
    char16_t c = qc.unicode();
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(char(c));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHigh[size_t(i)] == c) found = i;
    if (found >= 0) {
      out.push_back(char(0x80 + found));
    } else {
      out.push_back('?');
      all = false;
    }
  }
  if (exact) *exact = all;
  return out;
}

}  // namespace sf
