#include "platform/convert.h"

#include <algorithm>
#include <cmath>

#include "platform/ansi.h"

namespace sf {

bool TryStrToInt(std::string_view s, int32_t& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  value = int32_t(v);
  return true;
}

int32_t StrToInt(std::string_view text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v))
    throw EConvertError(("'" + AnsiToUnicode(text) + "' is not a valid integer value").toStdString());
  return v;
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool TryFormatOne(const QString& format, const QString& argument, QString& out) {
  out.clear();
  int next = 0;  // the argument an unindexed conversion takes
  auto number = [&](qsizetype& i, int& value) {
    bool any = false;
    value = 0;
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
      value = std::min(value * 10 + (format[i].unicode() - '0'), 1 << 20);
      any = true;
    }
    return any;
  };
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (++i >= format.size()) return false;
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    int index = next, width = 0, precision = -1, n = 0;
    const qsizetype start = i;
    if (number(i, n) && i < format.size() && format[i] == ':') {
      index = n;
      ++i;
    } else {
      i = start;
    }
    const bool left = i < format.size() && format[i] == '-';
    if (left) ++i;
    number(i, width);
    if (i < format.size() && format[i] == '.') {
      ++i;
      number(i, precision);
    }
    if (i >= format.size() || (format[i] != 's' && format[i] != 'S') || index != 0) return false;
    next = index + 1;
    QString value = precision >= 0 ? argument.left(precision) : argument;
    if (value.size() < width) value = left ? value.leftJustified(width) : value.rightJustified(width);
    out += value;
  }
  return true;
}

int32_t RoundHalfEven(double v) {
  double f = std::floor(v);
  double diff = v - f;
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1.0;
  return int32_t(r);
}

}  // namespace sf
