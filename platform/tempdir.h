// The program's private temporary folder, standing for the system's temporary folder.
//
// One folder per process, made with mkdtemp (mode 0700) under $TMPDIR or /tmp on first use and
// removed with its contents at exit, so that the fixed file names the program writes there
// cannot be raced or pointed elsewhere by another user.
#pragma once

#include <QString>

namespace sf {

// The folder with a trailing '/', or an empty string when it could not be made.
QString PrivateTempDir();

}  // namespace sf
