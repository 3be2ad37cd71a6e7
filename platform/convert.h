// Number conversions and rounding with the system's rules.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace sf {

// A conversion error; what() is the message the user sees.
class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

// Decimal text to a signed 32-bit integer: optional leading blanks, an optional sign, one or
// more digits and nothing after them. Anything else, or a value outside 32 bits, fails.
bool TryStrToInt(std::string_view text, int32_t& value);

// As TryStrToInt; fails with "'%s' is not a valid integer value" (the text in Windows-1252).
int32_t StrToInt(std::string_view text);

// Leading and trailing blanks and control characters removed (every byte up to 0x20).
std::string_view Trim(std::string_view text);

// A text with one string argument, formatted as the system's Format does: "%s" and "%S", an
// argument index ("%0:s"), left-justification and a width ("%-20s", "%8s"), a precision that
// cuts the argument ("%.3s"), and "%%" for a percent sign. False when the format is one that
// Format rejects (another conversion, a second argument, a "%" at the end); out then holds
// what was formed before the fault.
bool TryFormatOne(const QString& format, const QString& argument, QString& out);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int32_t RoundHalfEven(double v);

}  // namespace sf
