// Runs the tool's info command in this process and reads its JSON.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <sstream>
#include <string>

#include "tools/commands.h"

namespace sftest {

struct InfoRun {
  int code = 0;
  std::string out, err;
  QJsonObject json;  // the parsed output of a --json run
};

inline InfoRun RunInfo(const std::string& path, QStringList extra = {"--json", "--seed", "7"}) {
  std::ostringstream out, err;
  InfoRun r;
  r.code = sf::CmdInfo(QStringList{QString::fromStdString(path)} + extra, out, err);
  r.out = out.str();
  r.err = err.str();
  if (extra.contains("--json") && r.code == 0)
    r.json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  return r;
}

}  // namespace sftest
