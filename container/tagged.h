// The tagged text of the appended data: fields of one tag byte, a value and the byte 0x80.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sf {

constexpr char kFieldEnd = char(0x80);
constexpr char kRecordEnd = char(0x7F);

// The text ends at its first NUL byte.
inline std::string_view UpToNul(std::string_view s) {
  size_t nul = s.find('\0');
  return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Calls f(tag, value) for each field that is ended by 0x80, in order. Text after the last 0x80
// is ignored; an empty field (0x80 straight after the previous one) has no tag and is passed.
template <typename F>
void ForEachField(std::string_view text, F&& f) {
  size_t start = 0;
  for (;;) {
    size_t end = text.find(kFieldEnd, start);
    if (end == std::string_view::npos) return;
    if (end > start) f(uint8_t(text[start]), text.substr(start + 1, end - start - 1));
    start = end + 1;
  }
}

// Writes one field as ForEachField reads it: the tag, the value and 0x80. The value must hold
// neither 0x80 nor NUL (nor 0x7F inside a slide record).
inline void AppendField(std::string& out, uint8_t tag, std::string_view value) {
  out += char(tag);
  out += value;
  out += kFieldEnd;
}

}  // namespace sf
