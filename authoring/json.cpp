#include "authoring/json.h"

#include <cmath>
#include <cstdio>

namespace sf {

TJson& TJson::Set(const std::string& key, TJson value) {
  std::get<Object>(v_).emplace_back(key, std::move(value));
  return *this;
}

TJson& TJson::Push(TJson value) {
  std::get<Array>(v_).push_back(std::move(value));
  return *this;
}

std::string JsonQuote(const QString& s) {
  std::string out = "\"";
  for (char c : s.toStdString()) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void TJson::DumpTo(std::string& out, int depth) const {
  const std::string pad(size_t(2 * (depth + 1)), ' '), end(size_t(2 * depth), ' ');
  if (std::holds_alternative<std::nullptr_t>(v_)) {
    out += "null";
  } else if (auto* b = std::get_if<bool>(&v_)) {
    out += *b ? "true" : "false";
  } else if (auto* i = std::get_if<int64_t>(&v_)) {
    out += std::to_string(*i);
  } else if (auto* d = std::get_if<double>(&v_)) {
    // JSON has no NaN or infinity; such a figure is written as null.
    if (std::isfinite(*d)) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.10g", *d);
      out += buf;
    } else {
      out += "null";
    }
  } else if (auto* s = std::get_if<QString>(&v_)) {
    out += JsonQuote(*s);
  } else if (auto* o = std::get_if<Object>(&v_)) {
    if (o->empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    for (size_t k = 0; k < o->size(); ++k) {
      out += pad + JsonQuote(QString::fromStdString((*o)[k].first)) + ": ";
      (*o)[k].second.DumpTo(out, depth + 1);
      out += k + 1 < o->size() ? ",\n" : "\n";
    }
    out += end + "}";
  } else if (auto* a = std::get_if<Array>(&v_)) {
    if (a->empty()) {
      out += "[]";
      return;
    }
    out += "[\n";
    for (size_t k = 0; k < a->size(); ++k) {
      out += pad;
      (*a)[k].DumpTo(out, depth + 1);
      out += k + 1 < a->size() ? ",\n" : "\n";
    }
    out += end + "]";
  }
}

std::string TJson::Dump() const {
  std::string out;
  DumpTo(out, 0);
  return out + "\n";
}

}  // namespace sf
