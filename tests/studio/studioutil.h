// What the studio's tests share: files made in a folder, and a left-out sink that ignores.
#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <string>

#include "authoring/newshow.h"

namespace sftest {

inline const sf::TLeftOut kIgnoreLeftOut = [](const QString&, const QString&) {};

// A file of these bytes in a folder; its path.
inline QString Put(const QString& folder, const QString& name, const std::string& bytes) {
  QFile f(folder + "/" + name);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), qint64(bytes.size()));
  return f.fileName();
}

}  // namespace sftest
