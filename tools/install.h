// showforge-tool install: a show as an XScreenSaver hack (the work is authoring/install.h's).
#pragma once

#include <QStringList>
#include <ostream>

#include "authoring/install.h"

namespace sf {

// showforge-tool install [--remove] SHOW.scr [--player PATH]
int CmdInstall(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace sf
