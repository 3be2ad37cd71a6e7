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

TLockFile::TLockFile(const QString& name) {
  const QString folder = TNamedMutex::LockFolder();
  if (!folder.isEmpty()) path_ = folder + "/" + name + ".lock";
}

TLockFile::TTake TLockFile::TryTake() {
  if (fd_ >= 0) return TTake::Taken;
  if (path_.isEmpty()) return TTake::Failed;
  const QByteArray path = path_.toLocal8Bit();
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return TTake::Failed;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    ::close(fd);
    return error == EWOULDBLOCK ? TTake::Busy : TTake::Failed;
  }
  fd_ = fd;
  return TTake::Taken;
}

void TLockFile::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // the lock goes with the last descriptor of the open file
  fd_ = -1;
}

bool TLockFile::SetNote(const QByteArray& note) {
  if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) return false;
  return ::pwrite(fd_, note.constData(), size_t(note.size()), 0) == ssize_t(note.size());
}

QByteArray TLockFile::Note() const {
  if (fd_ < 0) return {};
  char buffer[64];
  const ssize_t n = ::pread(fd_, buffer, sizeof buffer, 0);
  return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
}

TNamedMutex::TNamedMutex(const QString& name) : lock_(name) {
  // Without a folder or a file to lock, the guard cannot work; the program then runs unguarded
  // rather than refusing to start.
  already_exists_ = lock_.TryTake() == TLockFile::TTake::Busy;
}

QString LockNamePart(const QString& text, int max) {
  QByteArray bytes = text.toUtf8().left(max);
  for (char& c : bytes)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) c = '_';
  return QString::fromLatin1(bytes);
}

}  // namespace sf
