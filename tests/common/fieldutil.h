// Tagged fields of a project header or slide record by their names, for tests that build shows.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "container/fields.h"
#include "tests/common/testutil.h"

namespace sftest {

inline std::string HeaderField(const char* name, const std::string& value) {
  for (const sf::THeaderField& f : sf::HeaderFields())
    if (std::string(f.name) == name) return F(f.tag, value);
  ADD_FAILURE() << "no header field " << name;
  return {};
}

inline std::string SlideField(const char* name, const std::string& value) {
  for (const sf::TSlideField& f : sf::SlideFields())
    if (std::string(f.name) == name) return F(f.tag, value);
  ADD_FAILURE() << "no slide field " << name;
  return {};
}

}  // namespace sftest
