#include "platform/instancelock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf {

QString TNamedMutex::LockFolder() {
  QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode))
    return QString::fromLocal8Bit(runtime);
  QByteArray dir = "/tmp/showforge-" + QByteArray::number(uint(::getuid()));
  if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST) return {};
  // Only a folder of our own that nobody else may write into keeps the lock ours.
  if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 0077) != 0)
    return {};
  return QString::fromLocal8Bit(dir);
}

TNamedMutex::TNamedMutex(const QString& name) {
  QString folder = LockFolder();
  // Without a folder to lock in, the guard cannot work; the program then runs unguarded rather
  // than refusing to start.
  if (folder.isEmpty()) return;
  path_ = folder + "/" + name + ".lock";
  fd_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) already_exists_ = true;
    ::close(fd_);
    fd_ = -1;
    break;
  }
}

TNamedMutex::~TNamedMutex() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace sf
