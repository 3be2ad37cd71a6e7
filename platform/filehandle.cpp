#include "platform/filehandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf {

TFileHandle::~TFileHandle() { Close(); }

bool TFileHandle::Open(const QString& path) {
  Close();
  fd_ = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    return false;
  }
  return true;
}

void TFileHandle::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t TFileHandle::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return int64_t(st.st_size);
}

bool TFileHandle::Seek(int64_t position) {
  return fd_ >= 0 && position >= 0 && ::lseek(fd_, off_t(position), SEEK_SET) == off_t(position);
}

int64_t TFileHandle::Read(void* buffer, int64_t count) {
  if (fd_ < 0 || count < 0) return -1;
  auto* p = static_cast<char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, size_t(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done > 0 ? done : -1;
    if (n == 0) break;
    done += n;
  }
  return done;
}

}  // namespace sf
