// Single-byte Windows-1252 text, the code page of the projects and of the settings files.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace sf {

// Every byte maps to one character; the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same number, as
// Windows itself does, so that decoding and encoding again gives back the same bytes.
QString AnsiToUnicode(std::string_view bytes);

// Characters outside the code page become '?'. When `exact` is given it tells whether every
// character could be kept.
std::string UnicodeToAnsi(const QString& text, bool* exact = nullptr);

}  // namespace sf
