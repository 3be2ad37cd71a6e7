// A small JSON value that keeps the order of its object members: the tool's listings and the
// manifests are written with it.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace sf {

class TJson {
 public:
  using Object = std::vector<std::pair<std::string, TJson>>;
  using Array = std::vector<TJson>;

  TJson() : v_(nullptr) {}
  TJson(bool b) : v_(b) {}
  TJson(int32_t i) : v_(int64_t(i)) {}
  TJson(int64_t i) : v_(i) {}
  TJson(double d) : v_(d) {}
  TJson(const QString& s) : v_(s) {}
  TJson(const char* s) : v_(QString::fromUtf8(s)) {}
  static TJson MakeObject() { TJson j; j.v_ = Object{}; return j; }
  static TJson MakeArray() { TJson j; j.v_ = Array{}; return j; }

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(v_); }

  TJson& Set(const std::string& key, TJson value);  // on an object
  TJson& Push(TJson value);                          // on an array

  // Two-space indented text, UTF-8.
  std::string Dump() const;

 private:
  void DumpTo(std::string& out, int depth) const;
  std::variant<std::nullptr_t, bool, int64_t, double, QString, Object, Array> v_;
};

std::string JsonQuote(const QString& s);

}  // namespace sf
