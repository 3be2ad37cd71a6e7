// The commands of showforge-tool.
#pragma once

#include <QStringList>
#include <ostream>

namespace sf {

// args are the words after the program's name; gives the exit code.
int ToolMain(const QStringList& args, std::ostream& out, std::ostream& err);

int CmdInfo(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdSettings(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace sf
