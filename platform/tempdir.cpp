#include "platform/tempdir.h"

#include <QDir>
#include <cstdlib>
#include <unistd.h>

namespace sf {
namespace {

struct TempFolder {
  QString path;
  pid_t owner = 0;
  TempFolder() {
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty()) base = "/tmp";
    QByteArray templ = base + "/showforge-XXXXXX";
    if (::mkdtemp(templ.data())) {
      path = QString::fromLocal8Bit(templ) + "/";
      owner = ::getpid();
    }
  }
  ~TempFolder() {
    // A forked child must not remove the folder its parent still uses.
    if (!path.isEmpty() && owner == ::getpid()) QDir(path).removeRecursively();
  }
};

}  // namespace

QString PrivateTempDir() {
  static TempFolder folder;
  return folder.path;
}

}  // namespace sf
